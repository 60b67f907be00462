// Geometry of the input picture: turning it upright by its EXIF
// orientation, fitting it inside the largest side, and scaling it down with
// a Lanczos-3 filter (separable, in 8-bit sRGB values, as most image tools
// do by default; it keeps edges sharp where a box filter would blur them).
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

// The picture as it is meant to be seen for EXIF orientation 1..8.
RgbImage Orient(const RgbImage& src, int orientation);

// Size after Orient: orientations 5 to 8 swap width and height.
PictureSize OrientedSize(PictureSize stored, int orientation);

// Resamples to width x height (both at most the source's; equal sizes copy).
RgbImage Downscale(const RgbImage& src, int width, int height);
