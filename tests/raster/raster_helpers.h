// Small builders shared by the raster tests: patterned surfaces and 24-bit
// bottom-up images whose every pixel says where it came from.
#pragma once

#include <cstdint>
#include <vector>

#include "document/picture.h"
#include "raster/surface.h"
#include "framework/types.h"

namespace rastertest {

// A value unique to (x, y) and the seed, so a misplaced copy shows.
inline std::uint32_t PatternPixel(int x, int y, std::uint32_t seed)
{
    return ((std::uint32_t(x) * 131u + std::uint32_t(y) * 7919u + seed * 104729u) * 2654435761u) & 0x00FFFFFFu;
}

inline CSurface PatternSurface(int w, int h, std::uint32_t seed)
{
    CSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.Row(y)[x] = PatternPixel(x, y, seed);
    return s;
}

// A 24-bit bottom-up image; pixel (x, y) with y counted from the TOP has
// red = x, green = y, blue = 0x80 | tag, so the surface value names it.
struct TestDib {
    BITMAPINFOHEADER bih{};
    std::vector<BYTE> bits;
    int stride = 0;

    TestDib(int w, int h, BYTE tag = 0)
    {
        bih = PictureHeader(w, h);
        stride = int(PictureStride(w));
        bits.assign(std::size_t(stride) * std::size_t(h), 0xEE); // padding stays 0xEE
        for (int y = 0; y < h; ++y) {
            BYTE* row = bits.data() + std::size_t(h - 1 - y) * std::size_t(stride);
            for (int x = 0; x < w; ++x) {
                row[3 * x] = BYTE(0x80 | tag);
                row[3 * x + 1] = BYTE(y);
                row[3 * x + 2] = BYTE(x);
            }
        }
    }
    // The surface value of the pixel at column x, row y from the top.
    std::uint32_t At(int x, int y) const
    {
        const BYTE* p = bits.data() + std::size_t(bih.biHeight - 1 - y) * std::size_t(stride) + std::size_t(3 * x);
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
    }
};

} // namespace rastertest
