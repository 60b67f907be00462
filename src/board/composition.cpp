// Board composition: every group is drawn, tail to head, with the board
// centred in the saver window; a piece is drawn from its cached image at
// its current place, clipped to its outline region. Drawing is limited to
// the dirty rectangle (device coordinates of the target): outside it a
// full redraw would put every piece again over its own earlier image, so
// skipping it changes no pixel, and a step costs what it moves instead of
// the whole board. Every piece still brings its image up to date, so the
// image cache lives exactly as if each piece were drawn. An image is kept
// in its 24-bit form only and converted as it is drawn: the conversion of
// the clipped runs costs little more than a copy, and a 32-bit copy of
// every image would hold a third more memory again.
#include "board/board_host.h"
#include "board/jigsaw_board.h"
#include "board/piece_group.h"
#include "raster/dc.h"

void CJigsawBoard::DrawBoard(CDC* pDC, const RECT* prcDirty)
{
    const RECT rc = ClientRect();
    const SIZE b = GetBoardSize();
    const POINT old = pDC->SetWindowOrg((b.cx + rc.left - rc.right) / 2, (b.cy + rc.top - rc.bottom) / 2);
    pDC->SetDrawLimit(prcDirty);
    for (auto pos = m_pieces.GetTailPosition(); pos;)
        m_pieces.GetPrev(pos)->Draw(pDC, prcDirty);
    pDC->SetDrawLimit(nullptr);
    pDC->SetWindowOrg(old.x, old.y);
}

void CPiece::Draw(CDC* pDC, const RECT* prc)
{
    RenderImage();
    if (prc) {
        // The screen rectangle covers every pixel the outline lets through
        // (its 2-pixel margin absorbs the rounding of the draw position).
        RECT r = GetScreenRect();
        const POINT org = pDC->GetWindowOrg();
        OffsetRect(r, -org.x, -org.y);
        if (!IntersectRect(r, r, *prc))
            return;
    }
    const LONG z = m_nZoom;
    constexpr LONG unit = kSubPixelZoomDivisor, half = unit / 2;
    const LONG ox = (m_ptOffset.x * z + half) / unit, oy = (m_ptOffset.y * z + half) / unit;
    const POINT pt = pDC->GetWindowOrg();
    pDC->SetWindowOrg(pt.x - ox, pt.y - oy);
    pDC->SelectClipRgn(&m_rgn);
    pDC->OffsetClipRgn(ox - pt.x, oy - pt.y);
    const RECT& box = m_rcRotated;
    const LONG W = m_bihImage.biWidth, H = m_bihImage.biHeight;
    if (m_nReduction == 1) {
        const int x = (box.left * z + 50) / 100, y = (box.top * z + 50) / 100;
        pDC->SetDIBitsToDevice(x, y, DWORD(W), DWORD(H), 0, 0, 0, UINT(H), m_pImage.data(), &m_bihImage,
                               DIB_RGB_COLORS);
    } else {
        const int oldMode = pDC->SetStretchBltMode(COLORONCOLOR);
        pDC->StretchDIBits(box.left * z / 100, box.top * z / 100, (box.right - box.left) * z / 100,
                           (box.bottom - box.top) * z / 100, 0, 0, W, H, m_pImage.data(), &m_bihImage,
                           DIB_RGB_COLORS, SRCCOPY);
        pDC->SetStretchBltMode(oldMode);
    }
    pDC->SelectClipRgn(nullptr);
    pDC->SetWindowOrg(pt.x, pt.y);
}

RECT CPiece::GetScreenRect() const
{
    RECT rc;
    if (!m_rgn.IsValid())
        return RECT{};
    m_rgn.GetRgnBox(&rc);
    OffsetRect(rc, m_ptOffset.x * m_nZoom / kSubPixelZoomDivisor, m_ptOffset.y * m_nZoom / kSubPixelZoomDivisor);
    InflateRect(rc, 2, 2);
    return rc;
}

void CPieceGroup::Draw(CDC* pDC, const RECT* prc)
{
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        m_arrPieces[i]->Draw(pDC, prc);
}

RECT CPieceGroup::GetRect() const
{
    RECT rc{};
    for (int i = 0; i < m_arrPieces.GetSize(); ++i)
        UnionRect(rc, rc, m_arrPieces[i]->GetScreenRect());
    return rc;
}

void CPieceGroup::AddDirty() const { UnionRect(m_pBoard->m_rcDirty, m_pBoard->m_rcDirty, GetRect()); }

void CPieceGroup::Redraw() const { m_pBoard->Redraw(); }

void CJigsawBoard::Redraw()
{
    if (m_pHost)
        m_pHost->RedrawBoard();
}
