// Decode, orient, fit and resample: JPEGs are decoded at the smallest DCT
// scale that still covers the target, PNGs at their full size.
#include "picture_load.h"

#include <algorithm>
#include <cstdint>

#include "jpeg_probe.h"

namespace {

constexpr int kMinShortSide = 16;
constexpr int kMaxAspect = 16;

} // namespace

PictureSize CheckedTargetSize(const PictureFile& file, PictureSize upright, int maxSide)
{
    const int longSide = std::max(upright.width, upright.height), shortSide = std::min(upright.width, upright.height);
    if (std::int64_t(shortSide) * kMaxAspect < longSide)
        throw PictureError(file.name + ": " + std::to_string(upright.width) + " x " + std::to_string(upright.height) +
                           " is narrower than 1:" + std::to_string(kMaxAspect) + "; the pieces would not show");
    const PictureSize target = TargetSize(upright, maxSide);
    if (std::min(target.width, target.height) < kMinShortSide)
        throw PictureError(file.name + ": stored at " + std::to_string(target.width) + " x " +
                           std::to_string(target.height) + ", a side is below " + std::to_string(kMinShortSide) +
                           " pixels (raise --max-side)");
    return target;
}

RgbImage LoadPicture(const PictureFile& file, int maxSide, std::vector<std::string>& warnings)
{
    RgbImage image;
    PictureSize target;
    if (file.format == PictureFormat::jpeg) {
        const auto layout = ProbeJpeg(file.bytes.data(), file.bytes.size());
        if (!layout || layout->width <= 0 || layout->height <= 0)
            throw PictureError(file.name + ": not a readable JPEG (damaged headers)");
        const int orientation = layout->orientation;
        target = CheckedTargetSize(file, OrientedSize({layout->width, layout->height}, orientation), maxSide);
        // The DCT scale is chosen in stored orientation (OrientedSize is its own inverse).
        const PictureSize least = OrientedSize(target, orientation);
        image = Orient(DecodeJpeg(file, *layout, least.width, least.height, warnings), orientation);
    } else {
        image = DecodePng(file);
        target = CheckedTargetSize(file, {image.width, image.height}, maxSide);
    }
    return Resample(image, target.width, target.height);
}
