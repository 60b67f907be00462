// CSurface storage: one contiguous block of 32-bit pixels, rows top first.
// Resizing keeps the allocation when the new size fits, so a surface that
// is recreated at the same size every cycle costs no page faults.
#include "raster/surface.h"

#include <algorithm>
#include <stdexcept>

void CSurface::Resize(int w, int h)
{
    if (w < 0 || h < 0)
        throw std::length_error("surface size is negative");
    // Both sides fit in 31 bits, so the product fits in 62.
    const std::uint64_t count = std::uint64_t(w) * std::uint64_t(h);
    if (count > kMaxPixels)
        throw std::length_error("surface too large");
    if (count > m_pixels.size())
        m_pixels.resize(std::size_t(count)); // new pixels are black
    m_w = w;
    m_h = h;
}

void CSurface::Fill(std::uint32_t value)
{
    std::fill_n(m_pixels.begin(), std::size_t(m_w) * std::size_t(m_h), value);
}
