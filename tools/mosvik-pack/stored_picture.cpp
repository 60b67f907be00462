// Building the stored stream with TurboJPEG: tjTransform(TJXOP_VFLIP,
// TJXOPT_PERFECT) when the input allows a lossless flip, else tjCompress2
// at quality 95 with 4:2:0 sampling. TurboJPEG writes baseline JFIF with a
// single interleaved scan by default; every result is checked by the
// marker walk before it is used.
#include "stored_picture.h"

#ifdef _WIN32
#include "win32/wic_codec.h" // Windows builds encode through WIC
#else
#include <turbojpeg.h>
#endif

#include <algorithm>
#include <memory>
#include <optional>

#include "document/picture.h"
#include "document/jigsaw_doc.h"
#include "jpeg_probe.h"
#include "pack_error.h"
#include "picture_load.h"

namespace {

#ifdef _WIN32
// WIC has no lossless transform: every picture is decoded and re-encoded.
std::optional<std::vector<BYTE>> FlipLosslessly(const std::vector<unsigned char>&) { return std::nullopt; }
#else
struct TjDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBuffer {
    unsigned char* p = nullptr;
    unsigned long size = 0;
    ~TjBuffer() { tjFree(p); }
};

// The input's own compressed data, flipped; nothing when a perfect flip is
// not possible (TurboJPEG refuses partial MCU rows with TJXOPT_PERFECT).
std::optional<std::vector<BYTE>> FlipLosslessly(const std::vector<unsigned char>& jpeg)
{
    TjHandle h(tjInitTransform());
    if (!h)
        return std::nullopt;
    int w = 0, ht = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(h.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), &w, &ht, &subsamp,
                            &colorspace) != 0 ||
        subsamp != TJSAMP_420 || colorspace != TJCS_YCbCr)
        return std::nullopt;
    tjtransform xform{};
    xform.op = TJXOP_VFLIP;
    xform.options = TJXOPT_PERFECT | TJXOPT_COPYNONE; // drop EXIF/ICC/comments: they describe the unflipped file
    TjBuffer out;
    // Any warning (damaged data) sends the picture down the decoding route,
    // which reports it.
    if (tjTransform(h.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), 1, &out.p, &out.size, &xform,
                    TJFLAG_STOPONWARNING) != 0)
        return std::nullopt;
    return std::vector<BYTE>(out.p, out.p + out.size);
}
#endif // !_WIN32

} // namespace

std::vector<BYTE> EncodeBottomFirst(const RgbImage& image)
{
#ifdef _WIN32
    return WicEncodeBottomFirst(image, kEncodeQuality);
#else
    TjHandle h(tjInitCompress());
    if (!h)
        throw PackError("cannot start the JPEG encoder");
    TjBuffer out;
    // TJFLAG_BOTTOMUP reads the last row in memory as the first row of the
    // stream: top-down rows come out stored upside down, as the saver wants.
    if (tjCompress2(h.get(), image.rgb.data(), image.width, 0, image.height, TJPF_RGB, &out.p, &out.size, TJSAMP_420,
                    kEncodeQuality, TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT) != 0)
        throw PackError(std::string("cannot encode the picture: ") + tjGetErrorStr2(h.get()));
    return std::vector<BYTE>(out.p, out.p + out.size);
#endif
}

StoredPicture MakeStoredPicture(const PictureFile& input, int maxSide)
{
    if (maxSide < 1 || maxSide > kMaxPictureSide)
        throw PackError("largest side must be 1 to " + std::to_string(kMaxPictureSide));
    StoredPicture result;

    if (input.format == PictureFormat::jpeg) {
        const auto layout = ProbeJpeg(input.bytes.data(), input.bytes.size());
        const PictureSize size = layout ? PictureSize{layout->width, layout->height} : PictureSize{};
        // The input needs no JFIF segment of its own (camera files carry
        // EXIF instead): the flip writes one, and its output is checked.
        if (layout && layout->orientation == 1 && size.width > 0 && size.height > 0 &&
            CheckedTargetSize(input, size, maxSide) == size &&
            CoefficientBufferBytes(*layout) <= kMaxCoefficientBytes) {
            JpegLayout asStored = *layout;
            asStored.jfif = true;
            auto flipped = IsSaverReady(asStored) ? FlipLosslessly(input.bytes) : std::nullopt;
            const auto check = flipped ? ProbeJpeg(flipped->data(), flipped->size()) : std::nullopt;
            if (check && IsSaverReady(*check) && check->width == size.width && check->height == size.height) {
                result.width = size.width;
                result.height = size.height;
                result.stream = std::move(*flipped);
                result.lossless = true;
                return result;
            }
        }
    }
    const RgbImage image = LoadPicture(input, maxSide, result.warnings);
    result.width = image.width;
    result.height = image.height;
    result.stream = EncodeBottomFirst(image);
    const auto check = ProbeJpeg(result.stream.data(), result.stream.size());
    if (!check || !IsSaverReady(*check))
        throw PackError("the JPEG encoder did not write a baseline 4:2:0 JFIF stream");
    return result;
}
