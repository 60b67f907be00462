// The device context's state: the selected bitmap and font, the logical
// window origin, the clip region (a private copy, in device coordinates),
// the modes, the drawing limit, and the window DC that presents every
// change. The drawing operations live in dc_blit.cpp, dc_dib.cpp and
// dc_text.cpp. A memory DC starts with no bitmap and draws nothing until
// one is selected; only LOGPIXELSY is a known device capability.
#include "raster/dc.h"

#include "framework/platform.h"
#include "framework/wnd.h"

BOOL CDC::CreateCompatibleDC(CDC* /*pDC*/)
{
    // Every surface of the raster has the same format, so a memory DC only
    // needs a bitmap selected into it before it draws anything.
    m_pSurface = nullptr;
    m_pBitmap = nullptr;
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    CBitmap* old = m_pBitmap;
    m_pBitmap = pBitmap;
    m_pSurface = pBitmap ? pBitmap->Surface() : nullptr;
    return old;
}

CFont* CDC::SelectObject(CFont* pFont)
{
    CFont* old = m_pFont;
    m_pFont = pFont;
    return old;
}

POINT CDC::SetWindowOrg(int x, int y)
{
    POINT old = m_ptOrg;
    m_ptOrg = POINT{x, y};
    return old;
}

int CDC::SelectClipRgn(const CRgn* pRgn)
{
    if (!pRgn) {
        m_bClip = false;
        return SIMPLEREGION; // the whole surface again
    }
    if (!pRgn->IsValid())
        return RGN_ERROR;
    m_clip = *pRgn; // reuses the copy's storage when it is large enough
    m_bClip = true;
    RECT box;
    return m_clip.GetRgnBox(&box) == NULLREGION ? NULLREGION : COMPLEXREGION;
}

int CDC::OffsetClipRgn(int dx, int dy)
{
    if (!m_bClip)
        return SIMPLEREGION;
    return m_clip.OffsetRgn(dx, dy);
}

void CDC::SetDrawLimit(const RECT* prc)
{
    m_bLimit = prc != nullptr;
    m_rcLimit = prc ? *prc : RECT{};
}

bool CDC::ClipToDevice(RECT& rc) const
{
    if (!m_pSurface || !IntersectRect(rc, rc, RECT{0, 0, m_pSurface->Width(), m_pSurface->Height()}))
        return false;
    if (m_bLimit && !IntersectRect(rc, rc, m_rcLimit))
        return false;
    if (m_bClip) {
        RECT box;
        m_clip.GetRgnBox(&box);
        return IntersectRect(rc, rc, box);
    }
    return true;
}

int CDC::SetStretchBltMode(int mode)
{
    if (mode < BLACKONWHITE || mode > 4) // 4: HALFTONE, accepted and drawn as COLORONCOLOR
        return 0;
    int old = m_nStretchMode;
    m_nStretchMode = mode;
    return old;
}

COLORREF CDC::SetTextColor(COLORREF c)
{
    COLORREF old = m_crText;
    m_crText = c;
    return old;
}

int CDC::SetBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    int old = m_nBkMode;
    m_nBkMode = mode;
    return old;
}

int CDC::GetDeviceCaps(int index) const
{
    return index == LOGPIXELSY ? AfxGetPlatform().GetLogPixelsY() : 0;
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    if (m_hWnd)
        AttachSurface(AfxGetPlatform().GetWindowSurface(m_hWnd));
}

void CClientDC::OnChanged(const RECT& rc)
{
    if (m_hWnd)
        AfxGetPlatform().Present(m_hWnd, rc);
}
