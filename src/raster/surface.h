// CSurface: a 32-bit pixel surface (blue, green, red, unused byte in memory;
// top row first), the form of every bitmap "compatible with the screen" and
// of every window's content. Storage is reused when the size does not grow.
//
// A backend may lend the surface its own memory (an image the display
// server reads), so that a window's pixels exist once. The lender owns that
// memory and keeps it alive until it takes the loan back with EndLoan; the
// surface never frees it. Trade-off: a loan holds only rows of the width it
// was made with, so a Resize to another width, or beyond the lent room,
// leaves it for the surface's own storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/types.h"

class CSurface {
public:
    CSurface() = default;
    CSurface(int w, int h) { Resize(w, h); }
    // Copies own their pixels; a move takes the storage, and a lent
    // surface's pixels are copied so the loan stays where the lender put it.
    CSurface(const CSurface& other) { *this = other; }
    CSurface(CSurface&& other) noexcept { *this = std::move(other); }
    CSurface& operator=(const CSurface& other);
    CSurface& operator=(CSurface&& other) noexcept;

    // Largest pixel count a surface may hold (512 MiB of pixels); Resize
    // throws std::length_error beyond it or for a negative side.
    static constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 27;

    void Resize(int w, int h); // contents undefined afterwards (black when new)
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    std::uint32_t* Row(int y) { return m_pData + std::size_t(y) * std::size_t(m_w); }
    const std::uint32_t* Row(int y) const { return m_pData + std::size_t(y) * std::size_t(m_w); }
    std::uint32_t* Pixels() { return m_pData; }
    const std::uint32_t* Pixels() const { return m_pData; }
    std::uint32_t Pixel(int x, int y) const { return Row(y)[x]; } // 0x00RRGGBB
    void Fill(std::uint32_t value);

    // Draws from now on into `pixels` (room for `capacity` pixels, rows of
    // w pixels back to back) at size w x h, as a Resize would: the contents
    // are whatever the memory holds. The surface's own storage is freed.
    // Throws std::length_error when w x h does not fit.
    void Lend(std::uint32_t* pixels, std::size_t capacity, int w, int h);
    // The lender takes its memory back: the surface is empty (0 x 0, own
    // storage) until the next Resize. Nothing happens when it is not lent.
    void EndLoan();
    bool IsLent() const { return m_pLent != nullptr; }

private:
    int m_w = 0, m_h = 0;
    std::vector<std::uint32_t> m_pixels;
    std::uint32_t* m_pData = nullptr;  // m_pixels.data() or the lent memory
    std::uint32_t* m_pLent = nullptr;  // the lent memory, while lent
    std::size_t m_lentCapacity = 0;
};

constexpr std::uint32_t PixelFromColorref(COLORREF c)
{
    return (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | DWORD(GetBValue(c));
}
