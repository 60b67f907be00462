// Board set-up: grid sizes and jitter for the 800 x 600 picture, board zoom
// per client size, scatter ranges, the exact cover of the picture by the
// pieces at home, list ownership and order, and determinism.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "board/spline_piece.h"
#include "board_fixture.h"
#include "framework/crt_rand.h"

namespace {
std::vector<CPiece*> Pieces(CJigsawBoard& board)
{
    std::vector<CPiece*> out;
    for (auto pos = board.m_pieces.GetHeadPosition(); pos;)
        out.push_back(board.m_pieces.GetNext(pos)->m_arrPieces[0]);
    return out;
}
} // namespace

TEST(BoardSetup, GridSizesForTheRequestedCounts)
{
    HostedBoard host;
    CJigsawBoard& board = host.board;
    MakePicture(host.doc, 800, 600);
    const struct { int asked, rows, cols; } cases[] = {
        {8, 2, 3}, {12, 3, 4}, {16, 3, 5}, {17, 4, 5}, {23, 4, 6}, {27, 5, 6}, {32, 5, 7}, {37, 5, 7}};
    for (const auto& c : cases) {
        crt::srand(7);
        board.m_nPieces = c.asked;
        board.ClearBoard();
        board.CutPicture();
        EXPECT_EQ(board.m_nRows, c.rows) << c.asked;
        EXPECT_EQ(board.m_nCols, c.cols) << c.asked;
        EXPECT_EQ(board.m_pieces.GetCount(), c.rows * c.cols);
    }
}

TEST(BoardSetup, LatticeJitterStaysInRangeAndBorderStaysPut)
{
    HostedBoard host;
    CJigsawBoard& board = host.board;
    MakePicture(host.doc, 800, 600);
    for (int asked : {8, 37}) {
        const int half = asked == 8 ? 24 : 11; // J = 49 gives -24..24, J = 22 gives -11..10
        for (std::uint32_t seed = 1; seed < 40; ++seed) {
            crt::srand(seed);
            board.m_nPieces = asked;
            board.ClearBoard();
            board.CutPicture();
            std::vector<CPiece*> ps = Pieces(board);
            for (std::size_t k = 0; k < ps.size(); ++k) {
                const int r = int(k) / board.m_nCols, c = int(k) % board.m_nCols;
                for (int i = 0; i < 4; ++i) {
                    const int lr = r + (i >= 2), lc = c + (i == 1 || i == 2);
                    const LONG gx = lc * 800 / board.m_nCols, gy = lr * 600 / board.m_nRows;
                    const POINT p = ps[k]->m_ptHome[i];
                    ASSERT_EQ(p.x % 64, 0);
                    const LONG dx = p.x / 64 - gx, dy = p.y / 64 - gy;
                    if (gx == 0 || gx == 800)
                        EXPECT_EQ(dx, 0);
                    else
                        EXPECT_TRUE(dx >= -half && dx <= half) << dx;
                    if (gy == 0 || gy == 600)
                        EXPECT_EQ(dy, 0);
                    else
                        EXPECT_TRUE(dy >= -half && dy <= half) << dy;
                }
            }
        }
    }
}

TEST(BoardSetup, BoardZoomForClientSizes)
{
    HostedBoard host;
    CJigsawBoard& board = host.board;
    MakePicture(host.doc, 800, 600);
    const struct { LONG w, h; int zoom; SIZE board; } cases[] = {
        {1024, 768, 96, {768, 576}}, {640, 480, 60, {480, 360}}, {152, 112, 14, {112, 84}}, {10, 10, 1, {8, 6}}};
    for (const auto& c : cases) {
        host.host.client = RECT{0, 0, c.w, c.h};
        crt::srand(3);
        board.NewBoard();
        EXPECT_EQ(board.m_nBoardZoom, c.zoom) << c.w;
        EXPECT_EQ(board.GetBoardSize(), c.board) << c.w;
    }
    // The whole client area is dirty, in board coordinates.
    host.host.client = RECT{0, 0, 1024, 768};
    board.NewBoard();
    EXPECT_EQ(board.m_rcDirty, (RECT{-128, -96, 896, 672}));
}

// Neighbours share their control points exactly, but each samples the
// spline in its own direction, so the two outlines of a curved edge are
// different polylines a pixel apart: slivers along the knobs are inherent
// to the fixed sampling. Borders and the rest of the cover are exact.
TEST(BoardSetup, PiecesAtHomeCoverThePictureAlmostExactlyOnce)
{
    HostedBoard host;
    host.host.client = RECT{0, 0, 1067, 800}; // zoom 100: board pixels are picture pixels
    CJigsawBoard& board = host.board;
    MakePicture(host.doc, 800, 600);
    for (std::uint32_t seed : {1u, 2u, 1234567u}) {
        for (int asked : {8, 20, 37}) {
            crt::srand(seed);
            board.m_nPieces = asked;
            board.ClearBoard();
            board.CutPicture();
            ASSERT_EQ(board.m_nBoardZoom, 100);
            std::vector<BYTE> count(800 * 600, 0);
            int outside = 0;
            for (CPiece* p : Pieces(board)) {
                for (LONG y = p->m_rgn.Top(); y < p->m_rgn.Bottom(); ++y) {
                    int n;
                    const CRgn::Span* s = p->m_rgn.RowSpans(y, n);
                    for (int i = 0; i < n; ++i)
                        for (LONG x = s[i].x0 + p->m_rgn.OffsetX(); x < s[i].x1 + p->m_rgn.OffsetX(); ++x) {
                            if (x < 0 || y < 0 || x >= 800 || y >= 600)
                                ++outside;
                            else
                                ++count[std::size_t(y) * 800 + std::size_t(x)];
                        }
                }
            }
            EXPECT_EQ(outside, 0);
            int gaps = 0, overlaps = 0, triples = 0;
            for (BYTE v : count) {
                gaps += v == 0;
                overlaps += v > 1;
                triples += v > 2;
            }
            EXPECT_EQ(triples, 0);
            EXPECT_LT(gaps + overlaps, 800 * 600 / 1000) << "seed " << seed << " pieces " << asked;
            // The picture's border rows and columns are exact.
            for (int x = 0; x < 800; ++x) {
                EXPECT_EQ(count[std::size_t(x)], 1);
                EXPECT_EQ(count[599 * 800 + std::size_t(x)], 1);
            }
        }
    }
}

TEST(BoardSetup, ScatterPutsCentresInsideTheClientAreaAndShuffles)
{
    HostedBoard host;
    host.host.client = RECT{0, 0, 1024, 768};
    CJigsawBoard& board = host.board;
    MakePicture(host.doc, 800, 600);
    crt::srand(99);
    board.NewBoard();
    // The client area in picture pixels: offset by the board's centring.
    const LONG z = board.m_nBoardZoom;
    const SIZE b = board.GetBoardSize();
    const LONG L = (b.cx - 1024) * 100 / (2 * z), T = (b.cy - 768) * 100 / (2 * z);
    const LONG R = L + 1024 * 100 / z, B = T + 768 * 100 / z;
    std::set<const CPiece*> seen;
    int away = 0;
    for (CPiece* p : Pieces(board)) {
        const LONG cx = (p->m_ptCentre.x + p->m_ptOffset.x) / 64, cy = (p->m_ptCentre.y + p->m_ptOffset.y) / 64;
        EXPECT_GE(cx, L);
        EXPECT_LT(cx, R);
        EXPECT_GE(cy, T);
        EXPECT_LT(cy, B);
        EXPECT_GE(p->m_nAngle, 0);
        EXPECT_LT(p->m_nAngle, 360);
        EXPECT_EQ(p->m_nReduction, 1);
        away += !p->IsHome();
        seen.insert(p);
    }
    EXPECT_EQ(int(seen.size()), board.m_nRows * board.m_nCols);
    EXPECT_EQ(away, int(seen.size()));
}

TEST(BoardSetup, SameSeedAndClientGiveTheSameBoard)
{
    FakeBoardHost host;
    host.client = RECT{0, 0, 1024, 768};
    auto snapshot = [](CJigsawBoard& board) {
        std::vector<LONG> v;
        for (CPiece* p : Pieces(board)) {
            for (const POINT& c : p->m_ptHome) { v.push_back(c.x); v.push_back(c.y); }
            v.push_back(p->m_ptOffset.x);
            v.push_back(p->m_ptOffset.y);
            v.push_back(p->m_nAngle);
            RECT box;
            p->m_rgn.GetRgnBox(&box);
            v.insert(v.end(), {box.left, box.top, box.right, box.bottom});
        }
        return v;
    };
    CJigsawDoc docA, docB;
    MakePicture(docA, 800, 600);
    MakePicture(docB, 800, 600);
    CJigsawBoard a(docA), b(docB);
    a.SetHost(&host);
    b.SetHost(&host);
    crt::srand(424242);
    a.NewBoard();
    const std::uint32_t after = crt::state();
    crt::srand(424242);
    b.NewBoard();
    EXPECT_EQ(crt::state(), after);
    EXPECT_EQ(snapshot(a), snapshot(b));
    crt::srand(424243);
    b.NewBoard();
    EXPECT_NE(snapshot(a), snapshot(b));
}

TEST(BoardSetup, ExtremePictureShapesStillGiveAGrid)
{
    HostedBoard host;
    CJigsawBoard& board = host.board;
    MakePicture(host.doc, 4000, 8);
    crt::srand(5);
    board.NewBoard();
    EXPECT_GE(board.m_nRows, 1);
    EXPECT_GE(board.m_nCols, 1);
    EXPECT_EQ(board.m_pieces.GetCount(), board.m_nRows * board.m_nCols);
}

TEST(BoardSetup, HasMessageComparesWithTheStockTextExactly)
{
    CJigsawDoc doc;
    const CJigsawBoard board(doc);
    EXPECT_FALSE(board.HasMessage());
    doc.m_message.text = "\"Your message here.\"";
    EXPECT_FALSE(board.HasMessage());
    doc.m_message.text = "\"your message here.\"";
    EXPECT_TRUE(board.HasMessage());
}

TEST(PieceList, PositionsSurviveMovingNodesToTheHead)
{
    CPieceList list;
    std::vector<CPieceGroup*> groups;
    const POINT corners[4] = {{0, 0}, {64, 0}, {64, 64}, {0, 64}};
    PictureBoard board(1, 1);
    for (int i = 0; i < 4; ++i) {
        auto g = std::make_unique<CPieceGroup>(board.board, new CSplinePiece(board, corners, TRUE));
        groups.push_back(g.get());
        list.AddTail(std::move(g));
    }
    std::vector<CPieceGroup*> visited;
    for (auto pos = list.GetHeadPosition(); pos;) {
        CPieceGroup* g = list.GetNext(pos);
        visited.push_back(g);
        list.MoveToHead(list.Find(g));
    }
    EXPECT_EQ(visited, groups);
    auto pos = list.GetHeadPosition();
    EXPECT_EQ(list.GetAt(pos), groups[3]);
    EXPECT_EQ(list.GetAt(list.FindIndex(3)), groups[0]);
    EXPECT_FALSE(list.FindIndex(4));
}
