// Block copies and fills between 32-bit surfaces. BitBlt clips the
// destination to its surface, the source to its surface (moving both
// rectangles together) and the result to the destination's clip region;
// each visible run of a row is one memmove. Only the raster operations the
// saver uses exist: SRCCOPY, BLACKNESS and WHITENESS.
#include <cstring>

#include "raster/dc.h"
#include "raster/dc_spans.h"

namespace {
constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kBlack = 0x00000000;

// The constant of a fill operation, or false for any other operation.
bool FillValue(DWORD rop, std::uint32_t& value)
{
    if (rop == WHITENESS)
        value = kWhite;
    else if (rop == BLACKNESS)
        value = kBlack;
    else
        return false;
    return true;
}
} // namespace

BOOL CDC::PatBlt(int x, int y, int w, int h, DWORD rop)
{
    std::uint32_t value;
    if (!FillValue(rop, value))
        return FALSE;
    if (!m_pSurface)
        return FALSE;
    if (w <= 0 || h <= 0)
        return TRUE;
    RECT rc = raster::MakeRect(std::int64_t(x) - m_ptOrg.x, std::int64_t(y) - m_ptOrg.y, w, h);
    if (!ClipToDevice(rc))
        return TRUE;
    CSurface& s = *m_pSurface;
    RECT changed = raster::ForEachSpan(GetClipRgn(), rc, {}, [&](LONG row, LONG a, LONG b) {
        std::uint32_t* p = s.Row(row);
        std::fill(p + a, p + b, value);
    });
    if (!IsRectEmpty(changed))
        OnChanged(changed);
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* pSrcDC, int xSrc, int ySrc, DWORD rop)
{
    if (rop != SRCCOPY)
        return PatBlt(x, y, w, h, rop);
    if (!m_pSurface || !pSrcDC || !pSrcDC->m_pSurface)
        return FALSE;
    if (w <= 0 || h <= 0)
        return TRUE;
    const CSurface& src = *pSrcDC->m_pSurface;
    CSurface& dst = *m_pSurface;

    // Device rectangles of both sides; d maps a source pixel to its target.
    RECT rc = raster::MakeRect(std::int64_t(x) - m_ptOrg.x, std::int64_t(y) - m_ptOrg.y, w, h);
    const std::int64_t sx = std::int64_t(xSrc) - pSrcDC->m_ptOrg.x, sy = std::int64_t(ySrc) - pSrcDC->m_ptOrg.y;
    const std::int64_t dx = std::int64_t(rc.left) - sx, dy = std::int64_t(rc.top) - sy;
    // The source surface seen from the destination: only pixels that exist
    // on both sides are copied.
    RECT srcInDst = raster::MakeRect(dx, dy, src.Width(), src.Height());
    if (!IntersectRect(rc, rc, srcInDst) || !ClipToDevice(rc))
        return TRUE;

    // Within one surface an overlapping copy must read every pixel before
    // it is overwritten: walk away from the direction of the move.
    raster::SpanOrder order;
    if (&src == &dst) {
        order.bottomUp = dy > 0;
        order.rightToLeft = dy == 0 && dx > 0;
    }
    const LONG ox = LONG(dx), oy = LONG(dy);
    RECT changed = raster::ForEachSpan(GetClipRgn(), rc, order, [&](LONG row, LONG a, LONG b) {
        std::memmove(dst.Row(row) + a, src.Row(row - oy) + (a - ox), std::size_t(b - a) * sizeof(std::uint32_t));
    });
    if (!IsRectEmpty(changed))
        OnChanged(changed);
    return TRUE;
}
