// Polygon regions: the pixel-centre rule, neighbours that share an edge
// (never both, never neither), offsets, boxes and masks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "raster/region.h"

namespace {

// Which pixels of [x0, x1) x [y0, y1) the region covers, row by row.
std::vector<std::vector<int>> Coverage(const CRgn& r, int x0, int y0, int x1, int y1)
{
    std::vector<std::vector<int>> c(std::size_t(y1 - y0), std::vector<int>(std::size_t(x1 - x0)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            c[std::size_t(y - y0)][std::size_t(x - x0)] = r.PtInRegion(x, y) ? 1 : 0;
    return c;
}

CRgn Poly(const std::vector<POINT>& pts)
{
    CRgn r;
    EXPECT_TRUE(r.CreatePolygonRgn(pts.data(), int(pts.size()), ALTERNATE));
    return r;
}

TEST(Region, RectanglePolygonCoversTheSamePixelsAsARectRegion)
{
    CRgn poly = Poly({{1, 2}, {5, 2}, {5, 5}, {1, 5}});
    CRgn rect;
    rect.CreateRectRgn(1, 2, 5, 5);
    EXPECT_EQ(Coverage(poly, -2, -2, 9, 9), Coverage(rect, -2, -2, 9, 9));
    RECT box;
    EXPECT_EQ(poly.GetRgnBox(&box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{1, 2, 5, 5}));
}

TEST(Region, TriangleFollowsThePixelCentreRule)
{
    // Hypotenuse x + y = 8 is a right edge: a centre exactly on it (x + y = 7)
    // is outside, so row y covers [0, 7 - y).
    CRgn tri = Poly({{0, 0}, {8, 0}, {0, 8}});
    for (int y = -1; y <= 8; ++y)
        for (int x = -1; x <= 8; ++x)
            EXPECT_EQ(tri.PtInRegion(x, y), y >= 0 && x >= 0 && x < 7 - y) << x << "," << y;
    // Mirrored, the hypotenuse is a left edge: centres on it are inside.
    CRgn mir = Poly({{8, 0}, {8, 8}, {0, 0}});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(mir.PtInRegion(x, y), x >= y && x < 8) << x << "," << y;
}

TEST(Region, EvenOddFillLeavesTheStarsCentreOut)
{
    CRgn star = Poly({{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}});
    EXPECT_FALSE(star.PtInRegion(10, 10));
    EXPECT_TRUE(star.PtInRegion(10, 3));
    EXPECT_TRUE(star.PtInRegion(3, 8));
    // A U shape gives two spans on its lower rows.
    CRgn u = Poly({{0, 0}, {3, 0}, {3, 4}, {6, 4}, {6, 0}, {9, 0}, {9, 8}, {0, 8}});
    int n = 0;
    const CRgn::Span* s = u.RowSpans(1, n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(s[0].x0, 0);
    EXPECT_EQ(s[0].x1, 3);
    EXPECT_EQ(s[1].x0, 6);
    EXPECT_EQ(s[1].x1, 9);
    u.RowSpans(6, n);
    EXPECT_EQ(n, 1);
}

// Every pixel of [0, w) x [0, h) is covered by exactly one of the regions,
// and none of them covers anything outside.
void ExpectPartition(const std::vector<CRgn>& parts, int w, int h)
{
    for (int y = -2; y < h + 2; ++y) {
        for (int x = -2; x < w + 2; ++x) {
            int count = 0;
            for (const CRgn& r : parts)
                count += r.PtInRegion(x, y) ? 1 : 0;
            const bool inside = x >= 0 && y >= 0 && x < w && y < h;
            ASSERT_EQ(count, inside ? 1 : 0) << "pixel " << x << "," << y;
        }
    }
}

TEST(Region, NeighboursSplitByADiagonalNeverOverlapNorLeaveAGap)
{
    // Centres with x + y = 11 lie exactly on the shared edge.
    ExpectPartition({Poly({{0, 0}, {12, 0}, {0, 12}}), Poly({{12, 0}, {12, 12}, {0, 12}})}, 12, 12);
    // Slopes 2 and 1/2, and the same cut traversed in both directions.
    ExpectPartition({Poly({{0, 0}, {6, 0}, {12, 12}, {0, 12}}), Poly({{6, 0}, {12, 0}, {12, 12}})}, 12, 12);
    ExpectPartition({Poly({{0, 0}, {12, 0}, {12, 6}}), Poly({{0, 0}, {12, 6}, {12, 12}, {0, 12}})}, 12, 12);
}

TEST(Region, FanAroundASharedVertexPartitionsTheSquare)
{
    const POINT c{7, 5};
    const std::vector<POINT> ring = {{0, 0}, {5, 0}, {14, 0}, {14, 9}, {14, 14}, {3, 14}, {0, 14}, {0, 6}};
    std::vector<CRgn> parts;
    for (std::size_t i = 0; i < ring.size(); ++i)
        parts.push_back(Poly({c, ring[i], ring[(i + 1) % ring.size()]}));
    ExpectPartition(parts, 14, 14);
}

TEST(Region, RandomJaggedCutsPartitionTheSquare)
{
    // Cuts from the top edge to the bottom edge with small integer steps, so
    // many pixel centres fall exactly on a cut; and the same turned sideways.
    std::uint32_t state = 12345;
    auto next = [&](int n) {
        state = state * 214013u + 2531011u;
        return int((state >> 16) % std::uint32_t(n));
    };
    const int S = 24;
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<POINT> cut{{2 + next(S - 4), 0}};
        while (cut.back().y < S)
            cut.push_back({2 + next(S - 4), std::min(S, cut.back().y + next(5))});
        cut.back().y = S;
        std::vector<POINT> left{{0, 0}}, right{{S, 0}, {S, S}};
        left.insert(left.end(), cut.begin(), cut.end());
        left.push_back({0, S});
        right.insert(right.end(), cut.rbegin(), cut.rend());
        ExpectPartition({Poly(left), Poly(right)}, S, S);

        auto turn = [](std::vector<POINT> v) {
            for (POINT& p : v)
                std::swap(p.x, p.y);
            return v;
        };
        ExpectPartition({Poly(turn(left)), Poly(turn(right))}, S, S);
    }
}

TEST(Region, OffsetMovesEverythingAndAccumulates)
{
    CRgn tri = Poly({{0, 0}, {8, 0}, {0, 8}});
    const auto before = Coverage(tri, 0, 0, 8, 8);
    EXPECT_EQ(tri.OffsetRgn(3, -2), COMPLEXREGION);
    EXPECT_EQ(tri.OffsetRgn(2, 7), COMPLEXREGION);
    EXPECT_EQ(Coverage(tri, 5, 5, 13, 13), before);
    RECT box;
    tri.GetRgnBox(&box);
    EXPECT_EQ(box, (RECT{5, 5, 12, 12}));
    EXPECT_EQ(tri.Top(), 5);
    EXPECT_EQ(tri.OffsetX(), 5);
    int n = 0;
    const CRgn::Span* s = tri.RowSpans(5, n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(s[0].x0 + tri.OffsetX(), 5);
    EXPECT_EQ(s[0].x1 + tri.OffsetX(), 12);
    EXPECT_EQ(tri.RowSpans(4, n), nullptr);
    EXPECT_EQ(n, 0);

    CRgn copy;
    copy = tri;
    EXPECT_EQ(Coverage(copy, 0, 0, 16, 16), Coverage(tri, 0, 0, 16, 16));
}

TEST(Region, EmptyAndInvalidRegions)
{
    CRgn none;
    RECT box{1, 1, 1, 1};
    EXPECT_EQ(none.GetRgnBox(&box), RGN_ERROR);
    CRgn flat = Poly({{0, 3}, {9, 3}, {4, 3}});
    EXPECT_EQ(flat.GetRgnBox(&box), NULLREGION);
    EXPECT_EQ(box, RECT{});
    CRgn two;
    POINT p[2] = {{0, 0}, {5, 5}};
    EXPECT_TRUE(two.CreatePolygonRgn(p, 2, ALTERNATE));
    EXPECT_TRUE(two.IsValid());
    EXPECT_FALSE(two.PtInRegion(2, 2));
    CRgn rect;
    rect.CreateRectRgn(4, 4, 4, 9);
    EXPECT_EQ(rect.GetRgnBox(&box), NULLREGION);
}

TEST(Region, RefusesOutlinesTooLargeToHold)
{
    CRgn r;
    const POINT tall[3] = {{0, -2000000000}, {5, 2000000000}, {-5, 0}};
    EXPECT_FALSE(r.CreatePolygonRgn(tall, 3, ALTERNATE));
    EXPECT_FALSE(r.IsValid());
    EXPECT_EQ(r.OffsetRgn(1, 1), RGN_ERROR);
    // Few rows but a zigzag crossing them millions of times in all.
    std::vector<POINT> zigzag;
    for (int i = 0; i < 40; ++i)
        zigzag.push_back({i, i % 2 ? 500000 : 0});
    EXPECT_FALSE(r.CreatePolygonRgn(zigzag.data(), int(zigzag.size()), ALTERNATE));
    EXPECT_FALSE(r.CreateRectRgn(0, -2000000000, 10, 2000000000));
    // Wide extremes with few rows are fine and exact.
    const POINT wide[4] = {{-2000000000, 0}, {2000000000, 0}, {2000000000, 3}, {-2000000000, 3}};
    ASSERT_TRUE(r.CreatePolygonRgn(wide, 4, ALTERNATE));
    RECT box;
    r.GetRgnBox(&box);
    EXPECT_EQ(box, (RECT{-2000000000, 0, 2000000000, 3}));
}

TEST(Region, FillMaskTopDownAndBottomUp)
{
    CRgn tri = Poly({{0, 0}, {4, 0}, {0, 4}}); // rows: [0,3) [0,2) [0,1)
    tri.OffsetRgn(10, 10);
    const int w = 5, h = 4, stride = 8;
    // Moved by (-9, -10): row 0 covers map x 1..3, and the map clips x = 5+.
    std::vector<BYTE> td(std::size_t(stride * h), 7);
    tri.FillMask(td.data(), w, h, stride, false, -9, -10, 255);
    const char* expectTop[4] = {"72227", "72277", "72777", "77777"};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < stride; ++x) {
            const BYTE want = x < w && expectTop[y][x] == '2' ? 255 : 7;
            EXPECT_EQ(td[std::size_t(y * stride + x)], want) << x << "," << y;
        }
    std::vector<BYTE> bu(std::size_t(stride * h), 7);
    tri.FillMask(bu.data(), w, h, stride, true, -9, -10, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < stride; ++x)
            EXPECT_EQ(bu[std::size_t((h - 1 - y) * stride + x)], td[std::size_t(y * stride + x)]);
    // Clipped at the left and top edges of the map: nothing outside is written.
    std::vector<BYTE> clip(std::size_t(stride * h), 7);
    tri.FillMask(clip.data(), w, h, stride, false, -12, -11, 255);
    for (BYTE b : clip)
        EXPECT_EQ(b, 7); // everything lands left of the map
    std::vector<BYTE> all(std::size_t(stride * h), 7);
    tri.FillMask(all.data(), w, h, stride, false, -11, -10, 255);
    EXPECT_EQ(all[0], 255);
    EXPECT_EQ(all[1], 255);
    EXPECT_EQ(all[2], 7);
}

} // namespace
