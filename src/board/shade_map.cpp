// The bevel: an 8-bit map of the piece's outline (255 inside), turned into
// a diagonal relief by a difference filter over the map as one byte run,
// smoothed 3:1 along rows and columns, and added to the image where it
// differs from neutral by more than 8. Reduced images skip all of this.
#include <algorithm>
#include <cstring>
#include <vector>

#include "board/board_globals.h"
#include "board/piece.h"
#include "document/picture.h"

namespace {
struct ShadeGeometry {
    LONG MW, MH, S;
};

ShadeGeometry Geometry(const std::vector<BYTE>& info)
{
    BITMAPINFOHEADER h;
    std::memcpy(&h, info.data(), sizeof h);
    return ShadeGeometry{h.biWidth, h.biHeight, (h.biWidth + 3) / 4 * 4};
}

BYTE Clamp255(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }
} // namespace

void CPiece::BuildShadeMap()
{
    const LONG m = g_nShadeMargin;
    m_bmpShade.DeleteObject();
    m_pShadeInfo.clear();
    m_pShadeBits = nullptr;
    if (m_nReduction != 1)
        return;
    const RECT& box = m_rcRotated;
    const LONG z = m_nZoom;
    const LONG MW = ((box.right - box.left) * z + 50) / 100 + 2 * m;
    const LONG MH = ((box.bottom - box.top) * z + 50) / 100 + 2 * m;
    if (MW <= 0 || MH <= 0)
        return;
    const LONG S = (MW + 3) / 4 * 4;

    m_pShadeInfo.assign(1068, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = MW;
    h.biHeight = MH;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(S) * DWORD(MH);
    std::memcpy(m_pShadeInfo.data(), &h, sizeof h);
    for (int k = 0; k < 256; ++k) {
        BYTE* q = m_pShadeInfo.data() + 40 + 4 * k;
        q[0] = q[1] = q[2] = BYTE(k);
    }

    m_pShadeBits = m_bmpShade.Create(std::size_t(S) * std::size_t(MH));
    std::memset(m_pShadeBits, 0, std::size_t(S) * std::size_t(MH));
    const LONG bx = (box.left * z + 50) / 100, by = (box.top * z + 50) / 100;
    m_rgn.FillMask(m_pShadeBits, MW, MH, S, true, m - bx, m - by, 255);
    EmbossShadeMap();
    SmoothShadeMap();
}

void CPiece::EmbossShadeMap()
{
    if (!m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const LONG m = g_nShadeMargin;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const std::size_t total = std::size_t(g.S) * std::size_t(g.MH);
    thread_local std::vector<BYTE> copy;
    copy.assign(m_pShadeBits, m_pShadeBits + total);
    const LONG count = (g.MH - 2 * m) * g.S - 2 * m - 2;
    const LONG shift = (g.S - 1) * m;
    for (LONG k = 0; k < count; ++k)
        m_pShadeBits[k + shift] = Clamp255(int(copy[std::size_t(k)]) - int(copy[std::size_t(k + 2 * shift)]) + 127);
}

void CPiece::SmoothShadeMap()
{
    if (!m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    for (LONG r = 0; r < g.MH; ++r) {
        BYTE* p = m_pShadeBits + std::size_t(r) * std::size_t(g.S);
        for (LONG j = 1; j < g.MW; ++j)
            p[j] = BYTE((3 * p[j - 1] + p[j]) / 4);
        for (LONG j = g.MW - 2; j >= 0; --j)
            p[j] = BYTE((3 * p[j + 1] + p[j] + 3) / 4);
    }
    // Columns: rows are walked in order so each column's pass stays a
    // sequence of whole-row operations.
    const std::size_t S = std::size_t(g.S);
    for (LONG r = 1; r < g.MH; ++r) {
        const BYTE* prev = m_pShadeBits + (std::size_t(r) - 1) * S;
        BYTE* cur = m_pShadeBits + std::size_t(r) * S;
        for (LONG x = 0; x < g.MW; ++x)
            cur[x] = BYTE((3 * prev[x] + cur[x] + 3) / 4);
    }
    for (LONG r = g.MH - 2; r >= 0; --r) {
        const BYTE* next = m_pShadeBits + (std::size_t(r) + 1) * S;
        BYTE* cur = m_pShadeBits + std::size_t(r) * S;
        for (LONG x = 0; x < g.MW; ++x)
            cur[x] = BYTE((3 * next[x] + cur[x] + 3) / 4);
    }
}

void CPiece::ApplyShade()
{
    if (m_nReduction != 1 || !m_bmpShade.IsValid() || m_pShadeInfo.empty())
        return;
    const LONG m = g_nShadeMargin;
    const ShadeGeometry g = Geometry(m_pShadeInfo);
    const LONG W = m_bihImage.biWidth, H = m_bihImage.biHeight;
    const std::size_t stride = PictureStride(W);
    const std::size_t total = std::size_t(g.S) * std::size_t(g.MH);
    for (LONG i = 0; i < H; ++i) {
        BYTE* px = m_pImage.data() + std::size_t(i) * stride;
        const std::size_t base = std::size_t((g.S + 1) * m) + std::size_t(i) * std::size_t(g.S);
        for (LONG j = 0; j < W; ++j, px += 3) {
            const std::size_t at = base + std::size_t(j);
            if (at >= total)
                break; // the map always covers the image; never read beyond it
            const int t = int(m_pShadeBits[at]) - 128;
            if (t > 8 || t < -8) {
                px[0] = Clamp255(px[0] + t);
                px[1] = Clamp255(px[1] + t);
                px[2] = Clamp255(px[2] + t);
            }
        }
    }
}
