// The pack sequence: output and text checks first (cheap), then the
// picture, then the saver is copied with the document appended.
#include "pack_run.h"

#include <cstdio>
#include <vector>

#include "default_resources.h"
#include "document_writer.h"
#include "pack_error.h"
#include "saver_file.h"
#include "self_path.h"
#include "stored_picture.h"

PictureFile DefaultPictureFile()
{
    const EmbeddedBytes png = DefaultPicturePng();
    PictureFile file;
    file.name = "default-picture.png";
    file.format = PictureFormat::png;
    file.bytes.assign(png.data, png.data + png.size);
    return file;
}

std::string PackSaver(const PackOptions& opt, const char* argv0, const std::function<void(const std::string&)>& warn)
{
    CheckOutput(opt.out, opt.picture ? &*opt.picture : nullptr);
    const MessageStyle style = ToStoredStyle(opt.message);
    if (const double points = EstimatedMessagePoints(style.text); points < kSmallestReadablePoints) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "on a 1024 x 768 screen the message would be drawn at about %.2g points, too small to read "
                      "(shorten its lines or use fewer lines)",
                      points);
        warn(text);
    }

    const PictureFile input = opt.picture ? ReadPictureFile(*opt.picture) : DefaultPictureFile();
    const std::filesystem::path saver = opt.saver ? *opt.saver : DefaultSaverPath(argv0);
    std::error_code ec;
    if (!std::filesystem::exists(saver, ec))
        throw PackError("saver executable not found: " + saver.string() + (opt.saver ? "" : " (use --saver EXE)"));
    const StoredPicture picture = MakeStoredPicture(input, opt.maxSide);
    for (const std::string& w : picture.warnings)
        warn(w);

    const std::vector<BYTE> document = BuildDocument(input.name, style, picture);
    WriteSaver(saver, opt.out, document);
    return opt.out.string() + ": " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
           " picture (" + (picture.lossless ? "flipped losslessly" : "encoded at quality 95") + "), " +
           std::to_string(picture.stream.size()) + " stream bytes";
}
