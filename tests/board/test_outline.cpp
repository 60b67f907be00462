// Piece outline geometry: the worked edge example, knob symmetry between
// neighbours, tessellation sizes and rounding, the angle table, rotation.
#include <gtest/gtest.h>

#include <vector>

#include "board/angle_table.h"
#include "board/spline_piece.h"
#include "board_fixture.h"
#include "framework/crt_rand.h"

namespace {
std::vector<POINT> Points(const CPointArray& a)
{
    return std::vector<POINT>(a.GetData(), a.GetData() + a.GetSize());
}
} // namespace

TEST(Generator, MatchesTheRuntimeSequence)
{
    crt::srand(25600);
    EXPECT_EQ(crt::rand(), 18101);
    EXPECT_EQ(crt::rand(), 14027);
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
}

TEST(Outline, WorkedExampleEdgeAndTessellation)
{
    const PictureBoard board(800, 600);
    const POINT corners[4] = {{6400, 3200}, {12800, 3200}, {12800, 9600}, {6400, 9600}};
    CSplinePiece piece(board, corners, TRUE);
    const std::vector<POINT> expected = {{6400, 3200}, {9600, 3200}, {7600, 1067},
                                         {11600, 1067}, {9600, 3200}, {12800, 3200}};
    EXPECT_EQ(Points(piece.m_edges[0]), expected);

    // Tessellate the top edge alone at angle 0 and zoom 6400 (so the final
    // division by 6400 is exact): the outline then holds the raw samples.
    CSplinePiece raw(board, corners, TRUE);
    raw.m_ptCentre = POINT{0, 0};
    raw.m_nZoom = 6400;
    raw.Tessellate();
    ASSERT_GE(raw.m_outline.GetSize(), 27);
    std::vector<POINT> top(raw.m_outline.GetData(), raw.m_outline.GetData() + 27);
    const std::vector<POINT> head = {{6400, 3200}, {6933, 3200}, {7306, 3197}, {7740, 3177}, {8167, 3123}};
    const std::vector<POINT> tail = {{10679, 3018}, {11033, 3123}, {11460, 3177}, {11894, 3197}, {12800, 3200}};
    EXPECT_EQ(std::vector<POINT>(top.begin(), top.begin() + 5), head);
    EXPECT_EQ(std::vector<POINT>(top.end() - 5, top.end()), tail);
    LONG minY = 1 << 30;
    for (const POINT& p : top)
        minY = std::min(minY, p.y);
    EXPECT_EQ(minY, 1167);
    int atTop = 0;
    for (const POINT& p : top) {
        if (p.y == 1167) {
            EXPECT_TRUE(p.x == 9352 || p.x == 9848) << p.x;
            ++atTop;
        }
    }
    EXPECT_EQ(atTop, 2);
}

TEST(Outline, NeighboursBuildTheSharedEdgeInReverse)
{
    const PictureBoard board(800, 600);
    // Two pieces side by side sharing a slanted inner edge, and one below.
    const POINT a[4] = {{0, 0}, {20000, 0}, {21000, 15000}, {0, 16000}};
    const POINT b[4] = {{20000, 0}, {51200, 0}, {51200, 17000}, {21000, 15000}};
    const POINT c[4] = {{0, 16000}, {21000, 15000}, {22000, 38400}, {0, 38400}};
    CSplinePiece pa(board, a, TRUE), pb(board, b, TRUE), pc(board, c, TRUE);
    auto reversed = [](std::vector<POINT> v) { std::reverse(v.begin(), v.end()); return v; };
    EXPECT_EQ(Points(pa.m_edges[1]), reversed(Points(pb.m_edges[3])));
    EXPECT_EQ(Points(pa.m_edges[2]), reversed(Points(pc.m_edges[0])));
    EXPECT_EQ(pa.m_edges[1].GetSize(), 6);
    // Border edges stay straight: two points.
    EXPECT_EQ(pa.m_edges[0].GetSize(), 2);
    EXPECT_EQ(pa.m_edges[3].GetSize(), 2);
    // Two border edges and two inner ones: 2 + 27 + 27 + 2 points.
    EXPECT_EQ(pa.m_outline.GetSize(), 58);
}

TEST(Outline, InnerPieceHas108PointsAndStraightKnoblessEdges)
{
    const PictureBoard board(800, 600);
    const POINT inner[4] = {{6400, 6400}, {12800, 6400}, {12800, 12800}, {6400, 12800}};
    CSplinePiece p(board, inner, TRUE);
    EXPECT_EQ(p.m_outline.GetSize(), 108);
    CSplinePiece flat(board, inner, FALSE);
    ASSERT_EQ(flat.m_edges[0].GetSize(), 6);
    for (int k = 0; k < 27; ++k)
        EXPECT_EQ(flat.m_outline[k].y, 100) << k; // the top edge at y = 6400/64 stays on its line
}

TEST(Outline, ZoomRoundsSubPixelsToNearestPixel)
{
    const PictureBoard board(800, 600);
    const POINT corners[4] = {{0, 0}, {95, 0}, {95, 96}, {0, 96}};
    CSplinePiece p(board, corners, TRUE);
    // x' = (x + 32) / 64 at zoom 100, angle 0: 95 -> 1, 96 -> 2.
    RECT box;
    p.m_rgn.GetRgnBox(&box);
    EXPECT_EQ(box, (RECT{0, 0, 1, 2}));
}

TEST(Angles, TableOfSinesAndCosines)
{
    const int angles[] = {0, 45, 90, 135, 180, 225, 270, 315, 1, 359};
    const POINT expected[] = {{0, 64}, {45, 45}, {63, 0}, {45, -45}, {0, -63},
                              {-45, -45}, {-63, 0}, {-45, 45}, {1, 63}, {-1, 63}};
    for (std::size_t i = 0; i < std::size(angles); ++i) {
        EXPECT_EQ(Sin64(angles[i]), expected[i].x) << angles[i];
        EXPECT_EQ(Cos64(angles[i]), expected[i].y) << angles[i];
    }
}

TEST(Outline, RotateWrapsAndKeepsTheBoxAroundTheCentre)
{
    const PictureBoard board(800, 600);
    const POINT corners[4] = {{6400, 6400}, {12800, 6400}, {12800, 12800}, {6400, 12800}};
    CSplinePiece p(board, corners, TRUE);
    p.Rotate(10, 0);
    p.Rotate(-30, 0);
    EXPECT_EQ(p.m_nAngle, 340);
    EXPECT_EQ(p.m_nSin64, Sin64(340));
    p.Rotate(20, 0);
    EXPECT_EQ(p.m_nAngle, 0);
    // Back at angle 0 the corners are home again and the box is the bounds.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.m_ptCorner[i], p.m_ptHome[i]);
    EXPECT_EQ(p.m_rcRotated, p.m_rcBounds);
    // A quarter turn swaps the box's extents about the centre.
    p.Rotate(90, 0);
    EXPECT_NEAR(p.m_rcRotated.Width(), p.m_rcBounds.Height(), 2);
    EXPECT_NEAR(p.m_rcRotated.Height(), p.m_rcBounds.Width(), 2);
}
