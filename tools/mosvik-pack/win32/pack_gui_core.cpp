// The portable half of the pack window: it turns the window's plain
// requests into the command line's own calls (options, stored picture,
// document, saver file), so the window cannot make a saver the command
// line would refuse, and shows pictures through the saver's decoder.
#include "pack_gui.h"

#include "app/screens.h"
#include "document/picture.h"
#include "document_writer.h"
#include "pack_error.h"
#include "pack_run.h"
#include "stored_picture.h"

GuiPicture GuiLoadPicture(const std::string& path)
{
    const PictureFile input = path.empty() ? DefaultPictureFile() : ReadPictureFile(PathFromUtf8(path));
    StoredPicture stored = MakeStoredPicture(input, kDefaultMaxSide);
    const BITMAPINFOHEADER header = PictureHeader(stored.width, stored.height);
    const std::unique_ptr<BYTE[]> bits = DecodePicture(header, stored.stream.data(), stored.stream.size());
    GuiPicture picture;
    picture.width = stored.width;
    picture.height = stored.height;
    picture.bits.assign(bits.get(), bits.get() + header.biSizeImage);
    picture.warnings = std::move(stored.warnings);
    return picture;
}

std::string GuiStoredText(const std::string& utf8, bool lineBreaks)
{
    const CString text = lineBreaks ? ToStoredText(utf8, "the message", true) : ToStoredFace(utf8);
    return std::string(static_cast<const char*>(text), std::size_t(text.GetLength()));
}

std::string GuiPack(const GuiRequest& request, const std::string& out, std::vector<std::string>& warnings)
{
    PackOptions opt;
    if (!request.picture.empty())
        opt.picture = PathFromUtf8(request.picture);
    opt.out = PathFromUtf8(out);
    opt.message = request.message;
    return PackSaver(opt, nullptr, [&](const std::string& w) { warnings.push_back(w); });
}

GuiRect GuiPictureRect(int W, int H, int pw, int ph)
{
    const RECT r = PictureRect(W, H, pw, ph);
    return {r.left, r.top, r.right, r.bottom};
}

int GuiFitMessageSize(int tw, int th, int mw, int mh) { return FitMessageSize(SIZE{tw, th}, SIZE{mw, mh}); }
