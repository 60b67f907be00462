// Geometry of the input picture: turning it upright by its EXIF
// orientation, fitting it inside the largest side (enlarging a small one),
// and resampling with a Lanczos-3 filter (separable, in 8-bit sRGB values,
// as most image tools do by default; it keeps edges sharp where a box
// filter would blur them).
#pragma once

#include "picture_source.h"

struct PictureSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// The size that keeps the aspect ratio and has neither side above maxSide
// (rounded to the nearest pixel, at least 1); the size itself when it fits.
PictureSize FitWithin(PictureSize size, int maxSide);

// Smallest longer side a stored picture gets: smaller pictures are
// enlarged to it (or to maxSide when that is less), so the board can cut
// them into pieces one can see.
constexpr int kMinLongSide = 256;

// FitWithin, then enlarged to kMinLongSide when the longer side is below it.
PictureSize TargetSize(PictureSize size, int maxSide);

// The picture as it is meant to be seen for EXIF orientation 1..8.
RgbImage Orient(const RgbImage& src, int orientation);

// Size after Orient: orientations 5 to 8 swap width and height.
PictureSize OrientedSize(PictureSize stored, int orientation);

// Resamples to width x height (equal sizes copy). The horizontal pass is
// kept only for the source rows the current output row needs, so the extra
// memory is a few rows, not a whole picture of floats.
RgbImage Resample(const RgbImage& src, int width, int height);
