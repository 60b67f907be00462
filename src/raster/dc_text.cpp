// DrawText on the raster: the platform's text engine measures the text or
// renders its coverage into the DC's reused mask, and the text colour is
// blended over the surface run by run. The background is always left as
// it is (the saver only draws text transparently).
#include "raster/dc.h"
#include "raster/dc_spans.h"
#include "framework/platform.h"

int CDC::DrawText(const CString& text, RECT* rc, UINT format)
{
    if (!rc)
        return 0;
    const LOGFONT lf = m_pFont && m_pFont->IsValid() ? m_pFont->Log() : LOGFONT{};
    ITextEngine& engine = AfxGetPlatform().Text();
    const std::string_view sv = text.str();
    const SIZE extent = engine.Measure(lf, sv);
    if (format & DT_CALCRECT) {
        rc->right = rc->left + extent.cx;
        rc->bottom = rc->top + extent.cy;
        return extent.cy;
    }
    if (!m_pSurface || sv.empty())
        return extent.cy;

    // The engine works in device coordinates, so the mask needs no shift.
    const RECT box = raster::MakeRect(std::int64_t(rc->left) - m_ptOrg.x, std::int64_t(rc->top) - m_ptOrg.y,
                                      std::int64_t(rc->right) - rc->left, std::int64_t(rc->bottom) - rc->top);
    engine.Render(lf, sv, format, box, m_textMask);
    const RECT mrc = m_textMask.rc;
    if (IsRectEmpty(mrc))
        return extent.cy;
    const std::size_t mw = std::size_t(mrc.right - mrc.left);
    if (m_textMask.alpha.size() / mw < std::size_t(mrc.bottom - mrc.top))
        return extent.cy; // a mask smaller than its rectangle is not read

    RECT area = mrc;
    if (!(format & DT_NOCLIP) && !IntersectRect(area, area, box))
        return extent.cy;
    if (!ClipToDevice(area))
        return extent.cy;

    const std::uint32_t r = GetRValue(m_crText), g = GetGValue(m_crText), b = GetBValue(m_crText);
    const std::uint32_t solid = PixelFromColorref(m_crText);
    const BYTE* alpha = m_textMask.alpha.data();
    CSurface& s = *m_pSurface;
    RECT changed = raster::ForEachSpan(GetClipRgn(), area, {}, [&](LONG y, LONG x0, LONG x1) {
        const BYTE* a = alpha + std::size_t(y - mrc.top) * mw + std::size_t(x0 - mrc.left);
        std::uint32_t* d = s.Row(y) + x0;
        for (LONG i = 0, n = x1 - x0; i < n; ++i) {
            const std::uint32_t cover = a[i];
            if (cover == 0)
                continue;
            if (cover == 255) {
                d[i] = solid;
                continue;
            }
            const std::uint32_t p = d[i];
            d[i] = (BlendChannel((p >> 16) & 0xFF, r, cover) << 16) | (BlendChannel((p >> 8) & 0xFF, g, cover) << 8) |
                   BlendChannel(p & 0xFF, b, cover);
        }
    });
    if (!IsRectEmpty(changed))
        OnChanged(changed);
    return extent.cy;
}
