// A new board: a random piece count, a jittered lattice cut into spline
// pieces, the board zoom for the saver window, the scatter and the shuffle.
// Every draw of the shared generator happens in the fixed order below.
#include <algorithm>
#include <cmath>
#include <vector>

#include "board/board_host.h"
#include "board/jigsaw_board.h"
#include "board/spline_piece.h"
#include "document/jigsaw_doc.h"
#include "framework/crt_rand.h"
#include "resources/resources.h"

namespace {
int Round(double x) { return int(x + 0.5); }
} // namespace

CJigsawBoard::~CJigsawBoard() { ClearBoard(); }

RECT CJigsawBoard::ClientRect() const { return m_pHost ? m_pHost->GetClientRect() : RECT{}; }

void CJigsawBoard::NewBoard()
{
    ClearBoard();
    m_nPieces = 8 + crt::rand() % 30;
    CutPicture();
    ScatterPieces();
    const RECT rc = ClientRect();
    const SIZE board = GetBoardSize();
    m_rcDirty = rc;
    OffsetRect(m_rcDirty, (board.cx - rc.Width()) / 2, (board.cy - rc.Height()) / 2);
}

void CJigsawBoard::ClearBoard()
{
    while (!m_pieces.IsEmpty())
        m_pieces.RemoveHead(); // deletes the group and its pieces
}

void CJigsawBoard::CutPicture()
{
    const CJigsawDoc& doc = *m_pDoc;
    const int w = doc.m_bih.biWidth, h = doc.m_bih.biHeight;
    const double cell = std::sqrt(double(w) * double(h) / m_nPieces);
    int jitter = Round(cell) / 5;
    if (jitter < 1)
        jitter = 1;
    // A picture shape so extreme that a side rounds to no cell at all
    // still gets one row or column.
    m_nRows = std::max(1, Round(h / cell));
    m_nCols = std::max(1, Round(w / cell));

    std::vector<POINT> lattice;
    lattice.reserve(std::size_t(m_nRows + 1) * std::size_t(m_nCols + 1));
    for (int r = 0; r <= m_nRows; ++r) {
        for (int c = 0; c <= m_nCols; ++c) {
            LONG x = LONG(std::int64_t(c) * w / m_nCols);
            LONG y = LONG(std::int64_t(r) * h / m_nRows);
            if (x != 0 && x != w)
                x += crt::rand() % jitter - jitter / 2;
            if (y != 0 && y != h)
                y += crt::rand() % jitter - jitter / 2;
            lattice.push_back(POINT{x * 64, y * 64});
        }
    }

    m_bihActive = doc.m_bih;
    m_pActiveBits = doc.m_pBits.get();

    for (int k = 0; k < m_nRows * m_nCols; ++k) {
        const int c = k % m_nCols, r = k / m_nCols;
        const std::size_t t = std::size_t(r) * std::size_t(m_nCols + 1) + std::size_t(c);
        const POINT corners[4] = {lattice[t], lattice[t + 1], lattice[t + std::size_t(m_nCols) + 2],
                                  lattice[t + std::size_t(m_nCols) + 1]};
        m_pieces.AddTail(std::make_unique<CPieceGroup>(*this, new CSplinePiece(*this, corners, TRUE)));
    }

    const RECT rc = ClientRect();
    m_nBoardZoom = std::min(rc.Width() * 75 / w, rc.Height() * 75 / h);
    if (m_nBoardZoom < 1)
        m_nBoardZoom = 1; // a tiny preview: the board is drawn at 1 percent rather than dividing by zero
    for (auto pos = m_pieces.GetHeadPosition(); pos;)
        m_pieces.GetNext(pos)->SetZoom(m_nBoardZoom);
}

void CJigsawBoard::ScatterPieces()
{
    const RECT rc = ClientRect();
    const LONG cw = rc.Width(), ch = rc.Height();
    const SIZE b = GetBoardSize();
    const LONG z = m_nBoardZoom;
    RECT area{0, 0, cw * 100 / z, ch * 100 / z};
    OffsetRect(area, (b.cx - cw) * 100 / (2 * z), (b.cy - ch) * 100 / (2 * z));
    for (auto pos = m_pieces.GetHeadPosition(); pos;)
        m_pieces.GetNext(pos)->Scatter(area, 2);

    // Shuffle: reverse into a temporary list, then pick at random positions,
    // each pick going to the head (the first pick ends at the tail).
    CPieceList temp;
    while (!m_pieces.IsEmpty())
        temp.AddHead(m_pieces.RemoveHead());
    for (int b2 = temp.GetCount(); b2 > 0; b2 = temp.GetCount()) {
        const int i = crt::rand() % b2;
        m_pieces.AddHead(temp.RemoveAt(temp.FindIndex(i)));
    }
}

SIZE CJigsawBoard::GetBoardSize() const
{
    const BITMAPINFOHEADER& bih = m_pDoc->m_bih;
    return SIZE{bih.biWidth * m_nBoardZoom / 100, bih.biHeight * m_nBoardZoom / 100};
}

BOOL CJigsawBoard::HasMessage() const
{
    const CString& text = m_pDoc->m_message.text;
    return !text.IsEmpty() && !(text == res::LoadString(IDS_STOCK_MESSAGE));
}
