// WebP: the features first (size, alpha, lossless or lossy, animation),
// the EXIF chunk through the demuxer, then the incremental decoder fed the
// file in slices so a stop request is seen between them. Sizes and the
// memory a decode takes are checked before its output is allocated.
#include "webp_heif.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>

#include "exif.h"
#include "picture_load.h"
#include "resample.h"

namespace {

constexpr std::size_t kSlice = 256 << 10; // bytes fed to the decoder between stop checks

ExifFields WebpExif(const PictureFile& file)
{
    const WebPData data{file.bytes.data(), file.bytes.size()};
    struct Demux {
        WebPDemuxer* p;
        ~Demux() { WebPDemuxDelete(p); }
    } demux{WebPDemux(&data)};
    if (!demux.p)
        return {};
    WebPChunkIterator chunk{};
    if (!WebPDemuxGetChunk(demux.p, "EXIF", 1, &chunk))
        return {};
    ExifFields exif = ReadExif(chunk.chunk.bytes, chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return exif;
}

} // namespace

LoadedPicture LoadWebp(const PictureFile& file, int maxSide, const DecodeLimits& limits)
{
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(file.bytes.data(), file.bytes.size(), &features) != VP8_STATUS_OK)
        throw PictureError(file.name + ": not a readable WebP");
    if (features.has_animation)
        throw PictureError(file.name + ": an animated WebP (only still pictures are shown)");
    CheckPixelCount(file.name, features.width, features.height);
    const ExifFields exif = WebpExif(file);
    const PictureSize stored{features.width, features.height};
    const PictureSize target = CheckedTargetSize(file, OrientedSize(stored, exif.orientation), maxSide);
    const PictureSize want = OrientedSize(target, exif.orientation);

    // Larger than wanted: libwebp scales as it decodes. Otherwise the
    // picture is decoded at its size and resampled like the others.
    const bool scale = want.width < stored.width;
    const PictureSize out = scale ? want : stored;
    const bool alpha = features.has_alpha != 0;
    const std::uint64_t pixels = std::uint64_t(stored.width) * std::uint64_t(stored.height);
    const std::uint64_t outBytes = std::uint64_t(out.width) * std::uint64_t(out.height) * (alpha ? 4 : 3);
    const std::uint64_t targetBytes = std::uint64_t(target.width) * std::uint64_t(target.height) * 3;
    // Lossless pictures are decoded whole as 32-bit pixels; lossy ones keep
    // a few rows, and their alpha plane whole.
    const std::uint64_t decoderBytes = features.format == 2 ? pixels * 4 : alpha ? pixels : 0;
    CheckMemory(file.name, file.bytes.size() + decoderBytes + outBytes + 2 * targetBytes, limits);

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw PictureError("the WebP library does not match its headers");
    std::vector<unsigned char> pixelsOut(static_cast<std::size_t>(outBytes));
    config.options.use_scaling = scale ? 1 : 0;
    config.options.scaled_width = out.width;
    config.options.scaled_height = out.height;
    config.output.colorspace = alpha ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixelsOut.data();
    config.output.u.RGBA.stride = out.width * (alpha ? 4 : 3);
    config.output.u.RGBA.size = pixelsOut.size();
    struct Decoder {
        WebPIDecoder* p;
        ~Decoder() { WebPIDelete(p); }
    } decoder{WebPIDecode(nullptr, 0, &config)};
    if (!decoder.p)
        throw PictureError("cannot start the WebP decoder");
    for (std::size_t fed = 0;;) {
        CheckStop(limits);
        fed = std::min(file.bytes.size(), fed + kSlice);
        const VP8StatusCode status = WebPIUpdate(decoder.p, file.bytes.data(), fed);
        if (status == VP8_STATUS_OK)
            break;
        if (status != VP8_STATUS_SUSPENDED || fed == file.bytes.size())
            throw PictureError(file.name + ": damaged WebP, it cannot be read whole");
    }

    RgbImage image(out.width, out.height);
    if (alpha)
        for (int y = 0; y < out.height; ++y)
            OverWhite(pixelsOut.data() + std::size_t(y) * std::size_t(out.width) * 4, image.Row(y), out.width);
    else
        image.rgb = std::move(pixelsOut);
    if (!scale)
        image = Resample(image, want.width, want.height);
    LoadedPicture result;
    result.image = exif.orientation == 1 ? std::move(image) : Orient(image, exif.orientation);
    result.taken = exif.taken;
    return result;
}
