// CSurface storage: one contiguous block of 32-bit pixels, rows top first,
// either the surface's own or lent by a backend. Resizing keeps the
// allocation when the new size fits, so a surface that is recreated at the
// same size every cycle costs no page faults.
#include "raster/surface.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

CSurface& CSurface::operator=(const CSurface& other)
{
    if (this == &other)
        return *this;
    const std::size_t count = std::size_t(other.m_w) * std::size_t(other.m_h);
    EndLoan();
    m_pixels.assign(other.m_pData, other.m_pData + count);
    m_pData = m_pixels.data();
    m_w = other.m_w;
    m_h = other.m_h;
    return *this;
}

CSurface& CSurface::operator=(CSurface&& other) noexcept
{
    if (this == &other)
        return *this;
    if (other.m_pLent) {
        *this = std::as_const(other); // the loan stays with the surface it was made to
        return *this;
    }
    EndLoan();
    m_pixels = std::move(other.m_pixels);
    m_pData = m_pixels.data();
    m_w = std::exchange(other.m_w, 0);
    m_h = std::exchange(other.m_h, 0);
    other.m_pixels.clear();
    other.m_pData = other.m_pixels.data();
    return *this;
}

void CSurface::Resize(int w, int h)
{
    if (w < 0 || h < 0)
        throw std::length_error("surface size is negative");
    // Both sides fit in 31 bits, so the product fits in 62.
    const std::uint64_t count = std::uint64_t(w) * std::uint64_t(h);
    if (count > kMaxPixels)
        throw std::length_error("surface too large");
    if (m_pLent && (w != m_w || count > m_lentCapacity)) {
        m_pLent = nullptr; // the lender's rows no longer fit: own storage again
        m_lentCapacity = 0;
        m_pData = m_pixels.data();
    }
    if (!m_pLent && count > m_pixels.size()) {
        m_pixels.resize(std::size_t(count)); // new pixels are black
        m_pData = m_pixels.data();
    }
    m_w = w;
    m_h = h;
}

void CSurface::Lend(std::uint32_t* pixels, std::size_t capacity, int w, int h)
{
    if (w < 0 || h < 0 || !pixels || std::uint64_t(w) * std::uint64_t(h) > capacity)
        throw std::length_error("lent memory too small for the surface");
    std::vector<std::uint32_t>().swap(m_pixels);
    m_pLent = m_pData = pixels;
    m_lentCapacity = capacity;
    m_w = w;
    m_h = h;
}

void CSurface::EndLoan()
{
    if (!m_pLent)
        return;
    m_pLent = nullptr;
    m_lentCapacity = 0;
    m_pData = m_pixels.data();
    m_w = m_h = 0;
}

void CSurface::Fill(std::uint32_t value)
{
    std::fill_n(m_pData, std::size_t(m_w) * std::size_t(m_h), value);
}
