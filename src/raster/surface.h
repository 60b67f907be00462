// CSurface: a 32-bit pixel surface (blue, green, red, unused byte in memory;
// top row first), the form of every bitmap "compatible with the screen" and
// of every window's content. Storage is reused when the size does not grow.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/types.h"

class CSurface {
public:
    CSurface() = default;
    CSurface(int w, int h) { Resize(w, h); }

    // Largest pixel count a surface may hold (512 MiB of pixels); Resize
    // throws std::length_error beyond it or for a negative side.
    static constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 27;

    void Resize(int w, int h); // contents undefined afterwards (black when new)
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    std::uint32_t* Row(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_w); }
    const std::uint32_t* Row(int y) const { return m_pixels.data() + std::size_t(y) * std::size_t(m_w); }
    std::uint32_t* Pixels() { return m_pixels.data(); }
    const std::uint32_t* Pixels() const { return m_pixels.data(); }
    std::uint32_t Pixel(int x, int y) const { return Row(y)[x]; } // 0x00RRGGBB
    void Fill(std::uint32_t value);

private:
    int m_w = 0, m_h = 0;
    std::vector<std::uint32_t> m_pixels;
};

constexpr std::uint32_t PixelFromColorref(COLORREF c)
{
    return (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | DWORD(GetBValue(c));
}
