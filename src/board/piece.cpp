// Placement of a piece: offsets, the turned corners and box, and the
// random scatter of a new board. Sub-pixel units (1/64 picture pixel).
#include "board/piece.h"

#include <algorithm>

#include "framework/crt_rand.h"

BYTE* CShadeBitmap::Create(std::size_t bytes)
{
    if (m_bits.size() < bytes)
        m_bits.resize(bytes);
    m_bValid = true;
    return m_bits.data();
}

void CPiece::SetZoom(int nPercent)
{
    m_pImage.clear(); // rebuilt at the next draw
    m_nZoom = nPercent;
}

void CPiece::Translate(POINT d)
{
    m_ptOffset.x += d.x;
    m_ptOffset.y += d.y;
    for (POINT& c : m_ptCorner) {
        c.x += d.x;
        c.y += d.y;
    }
}

void CPiece::MoveCentreTo(POINT p)
{
    Translate(POINT{-(m_ptCentre.x + m_ptOffset.x), -(m_ptCentre.y + m_ptOffset.y)});
    Translate(p);
}

void CPiece::UpdateCorners()
{
    for (int i = 0; i < 4; ++i) {
        const LONG dx = m_ptHome[i].x - m_ptCentre.x, dy = m_ptHome[i].y - m_ptCentre.y;
        m_ptCorner[i].x = ((dx * m_nCos64 + dy * m_nSin64) >> 6) + m_ptCentre.x + m_ptOffset.x;
        m_ptCorner[i].y = ((dy * m_nCos64 - dx * m_nSin64) >> 6) + m_ptCentre.y + m_ptOffset.y;
    }
}

void CPiece::UpdateRotatedBox()
{
    const LONG cx = (m_ptCentre.x + 32) / 64, cy = (m_ptCentre.y + 32) / 64;
    const POINT corners[4] = {{m_rcBounds.left, m_rcBounds.top},
                              {m_rcBounds.right, m_rcBounds.top},
                              {m_rcBounds.right, m_rcBounds.bottom},
                              {m_rcBounds.left, m_rcBounds.bottom}};
    m_rcRotated = RECT{100000, 100000, -100000, -100000};
    for (const POINT& p : corners) {
        const LONG dx = p.x - cx, dy = p.y - cy;
        const LONG x = ((dy * m_nSin64 + dx * m_nCos64) >> 6) + cx;
        const LONG y = ((dy * m_nCos64 - dx * m_nSin64) >> 6) + cy;
        m_rcRotated.left = std::min(m_rcRotated.left, x);
        m_rcRotated.top = std::min(m_rcRotated.top, y);
        m_rcRotated.right = std::max(m_rcRotated.right, x);
        m_rcRotated.bottom = std::max(m_rcRotated.bottom, y);
    }
}

void CPiece::ScatterPiece(RECT rcArea, int nKind)
{
    RECT rb;
    m_rgn.GetRgnBox(&rb);
    LONG rx = (rb.left - rb.right) * 100 / m_nZoom + rcArea.right - rcArea.left;
    if (rx == 0)
        rx = rcArea.right - rcArea.left;
    LONG ry = (rb.top - rb.bottom) * 100 / m_nZoom + rcArea.bottom - rcArea.top;
    if (ry == 0)
        ry = rcArea.bottom - rcArea.top;
    // An empty area would leave no range at all; one position is all there is.
    if (rx == 0)
        rx = 1;
    if (ry == 0)
        ry = 1;
    const LONG y = (rcArea.top + crt::rand() % ry) * 64; // the y draw comes first
    const LONG x = (rcArea.left + crt::rand() % rx) * 64;
    MoveCentreTo(POINT{x, y});
    if (nKind == 1)
        Rotate((crt::rand() % 8) * 45, 1);
    else if (nKind == 2)
        Rotate(crt::rand() % 360, 1);
}
