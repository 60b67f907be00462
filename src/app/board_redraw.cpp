// Background tiling and the board's presentation. A board step touches
// only its dirty rectangle: the board buffer gets the tile over that area
// and the pieces drawn into it (the board skips every piece that misses it
// and clips the others to it), and only that area reaches the target.
// Outside it the buffer keeps what earlier steps drew; a new board marks
// the whole window dirty. A step shown in the window waits for the
// display's refresh first, which paces the animation.
#include <algorithm>
#include <cstdint>

#include "app/board_buffer.h"
#include "app/saver_app.h"
#include "app/saver_wnd.h"
#include "board/jigsaw_board.h"
#include "raster/dc.h"
#include "framework/platform.h"

bool CBoardBuffer::Ensure(CDC* pDC, int w, int h)
{
    if (m_bmp.IsValid() && (m_size.cx != w || m_size.cy != h))
        m_bmp.DeleteObject();
    if (m_bmp.IsValid())
        return false;
    m_bmp.CreateCompatibleBitmap(pDC, w, h);
    m_size = SIZE{w, h};
    return true;
}

void CSaverWnd::TileBackground(CDC* pDC, const RECT* prc)
{
    CBitmap& tile = GetSaverApp().GetTileBitmap();
    const SIZE size = tile.GetSize();
    if (size.cx <= 0 || size.cy <= 0)
        return; // no tile: nothing to lay (and nothing to divide by)
    const std::int64_t w = size.cx, h = size.cy;

    // The grid is anchored at (0, 0); a tile is drawn whole when it starts
    // inside the rectangle's rows and columns.
    std::int64_t x0 = prc->left / w * w, y = prc->top / h * h;
    std::int64_t right = prc->right, bottom = prc->bottom;
    // Tiles wholly outside the target surface change nothing: skip them
    // without leaving the grid.
    if (const CSurface* s = pDC->GetSurface()) {
        const POINT org = pDC->GetWindowOrg();
        if (x0 + w <= org.x)
            x0 += (org.x - x0) / w * w;
        if (y + h <= org.y)
            y += (org.y - y) / h * h;
        right = std::min<std::int64_t>(right, std::int64_t(org.x) + s->Width());
        bottom = std::min<std::int64_t>(bottom, std::int64_t(org.y) + s->Height());
    }

    CDC tileDC;
    tileDC.CreateCompatibleDC(pDC);
    CBitmap* pOld = tileDC.SelectObject(&tile);
    for (; y < bottom; y += h)
        for (std::int64_t x = x0; x < right; x += w)
            pDC->BitBlt(int(x), int(y), int(w), int(h), &tileDC, 0, 0, SRCCOPY);
    tileDC.SelectObject(pOld);
}

RECT CSaverWnd::ComposeBoard(CDC* pMemDC, const RECT* prcClient)
{
    const int W = prcClient->right - prcClient->left, H = prcClient->bottom - prcClient->top;
    CJigsawBoard& board = GetSaverApp().m_board;
    const SIZE size = board.GetBoardSize();
    RECT d = board.m_rcDirty; // board coordinates; the board is centred in the window
    OffsetRect(d, (W - size.cx) / 2, (H - size.cy) / 2);

    TileBackground(pMemDC, &d);
    board.DrawBoard(pMemDC, &d);
    SetRectEmpty(board.m_rcDirty);
    return d;
}

void CSaverWnd::RedrawBoard(CDC* pDC, const RECT* prcClient)
{
    m_bmpBoard.Ensure(pDC, prcClient->right - prcClient->left, prcClient->bottom - prcClient->top);
    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    CBitmap* pOld = memDC.SelectObject(m_bmpBoard.Bitmap());
    const RECT d = ComposeBoard(&memDC, prcClient);
    if (!IsRectEmpty(d)) {
        // A board step shown in the window waits for the display's refresh.
        if (dynamic_cast<CClientDC*>(pDC) && m_hWnd)
            AfxGetPlatform().WaitForRefresh(m_hWnd);
        pDC->BitBlt(d.left, d.top, d.right - d.left, d.bottom - d.top, &memDC, d.left, d.top, SRCCOPY);
    }
    memDC.SelectObject(pOld);
}
