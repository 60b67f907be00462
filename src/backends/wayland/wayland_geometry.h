// The arithmetic of the Wayland backend, apart from any display: how big a
// surface's buffer is for its logical size and scale, where a pointer
// position in surface coordinates falls in the buffer, how the mouse slop
// grows with the scale, and the damage gathered between two presents.
// The saver draws in physical pixels: the buffer is the logical size times
// the scale, so a 2x output gets twice the pixels on each axis, never an
// upscaled picture.
//
// Trade-off: damage is a short list of rectangles; past kMaxRects it
// becomes their bounding box, which may send more than changed but keeps
// each present's work bounded.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/types.h"

// The scale a surface is drawn at: the output's integer scale (given to
// wl_surface.set_buffer_scale), or, when the compositor offers
// fractional-scale-v1, its preferred scale in 120ths (then the buffer
// scale stays 1 and a viewport maps the buffer onto the logical size).
struct SurfaceScale {
    static constexpr int kMaxInteger = 16;      // beyond any real output
    static constexpr int kMaxFraction = 16 * 120;

    int integer = 1;
    int fraction120 = 0; // 0: not in use

    bool Fractional() const { return fraction120 > 0; }
    friend bool operator==(const SurfaceScale&, const SurfaceScale&) = default;
};

// The buffer size for a logical size at `scale`: each side times the
// integer scale, or rounded (halves away from zero) at the fractional
// one. Throws std::length_error when a side would exceed the raster's
// limits; a side of 0 stays 0.
SIZE BufferSize(SIZE logical, const SurfaceScale& scale);

// A length of n pixels at scale 1 in buffer pixels (the mouse slop):
// rounded to the nearest pixel, halves up.
int ScaleLength(int n, const SurfaceScale& scale);

// A pointer position in surface coordinates (wl_fixed_t, 24.8 fixed point)
// as a buffer pixel: the position times buffer/logical on each axis,
// rounded down (the pixel it lies in), clamped to the 16-bit range a mouse
// message carries.
POINT BufferPoint(std::int32_t fixedX, std::int32_t fixedY, SIZE logical, SIZE buffer);

// Rectangles changed since the last present.
class CDamage {
public:
    static constexpr std::size_t kMaxRects = 8;

    // Adds `rc` clipped to `bounds`; empty results are dropped.
    void Add(const RECT& rc, const RECT& bounds);
    void AddAll(const CDamage& other, const RECT& bounds);
    void Clear() { m_rects.clear(); }
    bool Empty() const { return m_rects.empty(); }
    const std::vector<RECT>& Rects() const { return m_rects; }

private:
    std::vector<RECT> m_rects;
};
