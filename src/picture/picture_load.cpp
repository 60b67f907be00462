// Decode, orient, fit and resample: JPEGs are decoded at the smallest DCT
// scale that still covers the target, PNGs at their full size; WebP and
// HEIF have decoders of their own (webp_heif.h).
#include "picture_load.h"

#include <algorithm>
#include <cstdint>

#include "exif.h"
#include "jpeg_probe.h"
#ifndef _WIN32
#include "webp_heif.h"
#endif

namespace {

constexpr int kMinShortSide = 16;
constexpr int kMaxAspect = 16;

} // namespace

PictureSize CheckedTargetSize(const PictureFile& file, PictureSize upright, int maxSide)
{
    return CheckedTargetSize(file.name, upright, maxSide);
}

PictureSize CheckedTargetSize(const std::string& name, PictureSize upright, int maxSide)
{
    const int longSide = std::max(upright.width, upright.height), shortSide = std::min(upright.width, upright.height);
    if (std::int64_t(shortSide) * kMaxAspect < longSide)
        throw PictureError(name + ": " + std::to_string(upright.width) + " x " + std::to_string(upright.height) +
                           " is narrower than 1:" + std::to_string(kMaxAspect) + "; the pieces would not show");
    const PictureSize target = TargetSize(upright, maxSide);
    if (std::min(target.width, target.height) < kMinShortSide)
        throw PictureError(name + ": stored at " + std::to_string(target.width) + " x " +
                           std::to_string(target.height) + ", a side is below " + std::to_string(kMinShortSide) +
                           " pixels (raise --max-side)");
    return target;
}

LoadedPicture LoadPicture(const PictureFile& file, int maxSide, const DecodeLimits& limits,
                          std::vector<std::string>& warnings)
{
    LoadedPicture out;
    RgbImage image;
    PictureSize target;
    auto bytes = [](PictureSize s, int channels) { return std::uint64_t(s.width) * std::uint64_t(s.height) * channels; };
    if (file.format == PictureFormat::jpeg) {
        const auto layout = ProbeJpeg(file.bytes.data(), file.bytes.size());
        if (!layout || layout->width <= 0 || layout->height <= 0)
            throw PictureError(file.name + ": not a readable JPEG (damaged headers)");
        const int orientation = layout->orientation;
        target = CheckedTargetSize(file, OrientedSize({layout->width, layout->height}, orientation), maxSide);
        // The DCT scale is chosen in stored orientation (OrientedSize is its own inverse).
        const PictureSize least = OrientedSize(target, orientation);
        // The file, the coefficients of a progressive stream, the decoded
        // picture (and its CMYK form, its turned copy), the result.
        const PictureSize scaled = JpegScaledSize(layout->width, layout->height, least.width, least.height);
        CheckMemory(file.name,
                    file.bytes.size() + (NeedsCoefficientBuffer(*layout) ? CoefficientBufferBytes(*layout) : 0) +
                        bytes(scaled, 3) * (orientation == 1 ? 1 : 2) + (layout->components == 4 ? bytes(scaled, 4) : 0) +
                        bytes(target, 3),
                    limits);
        image = DecodeJpeg(file, *layout, least.width, least.height, warnings);
        if (orientation != 1)
            image = Orient(image, orientation);
        out.taken = layout->taken;
    }
#ifndef _WIN32
    else if (file.format == PictureFormat::webp) {
        return LoadWebp(file, maxSide, limits);
    } else if (file.format == PictureFormat::heif) {
        return LoadHeif(file, maxSide, limits);
    }
#endif
    else {
        // PNG (and on Windows whatever the Imaging Component reads), decoded
        // whole: the size from the PNG header, when there is one, is
        // checked against the limits first.
        if (file.format == PictureFormat::png && file.bytes.size() >= 24) {
            const unsigned char* h = file.bytes.data() + 16;
            const PictureSize size{int(std::min<std::uint32_t>(std::uint32_t(h[0]) << 24 | h[1] << 16 | h[2] << 8 | h[3], 1u << 30)),
                                   int(std::min<std::uint32_t>(std::uint32_t(h[4]) << 24 | h[5] << 16 | h[6] << 8 | h[7], 1u << 30))};
            CheckMemory(file.name, file.bytes.size() + 2 * bytes(size, 4), limits);
        }
        image = file.format == PictureFormat::png ? DecodePng(file) : DecodeOther(file);
        const ExifFields exif =
            file.format == PictureFormat::png ? PngExif(file.bytes.data(), file.bytes.size()) : ExifFields{};
        if (exif.orientation != 1)
            image = Orient(image, exif.orientation);
        out.taken = exif.taken;
        target = CheckedTargetSize(file, {image.width, image.height}, maxSide);
    }
    CheckStop(limits);
    out.image = Resample(image, target.width, target.height);
    return out;
}

RgbImage LoadPicture(const PictureFile& file, int maxSide, std::vector<std::string>& warnings)
{
    return LoadPicture(file, maxSide, DecodeLimits{}, warnings).image;
}
