// PatBlt and BitBlt against a pixel-by-pixel model: window origins on both
// sides, clipping to both surfaces and to the clip region, overlapping
// copies within one surface, and what a DC reports and presents.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "raster/dc.h"
#include "framework/wnd.h"
#include "raster_helpers.h"

namespace {
using rastertest::PatternSurface;
using rastertest::RecordingDC;

bool Contains(LONG a, LONG len, LONG v) { return v >= a && v < a + len; }

// What BitBlt must leave in `dst`: the model walks every destination pixel.
CSurface ModelBlt(const CSurface& dstBefore, const CSurface& src, POINT dstOrg, POINT srcOrg, const CRgn* clip,
                  int x, int y, int w, int h, int xs, int ys)
{
    CSurface out = dstBefore;
    for (int Y = 0; Y < out.Height(); ++Y) {
        for (int X = 0; X < out.Width(); ++X) {
            const int lx = X + dstOrg.x, ly = Y + dstOrg.y;
            if (!Contains(x, w, lx) || !Contains(y, h, ly))
                continue;
            if (clip && !clip->PtInRegion(X, Y))
                continue;
            const int sx = xs + (lx - x) - srcOrg.x, sy = ys + (ly - y) - srcOrg.y;
            if (sx < 0 || sy < 0 || sx >= src.Width() || sy >= src.Height())
                continue;
            out.Row(Y)[X] = src.Pixel(sx, sy);
        }
    }
    return out;
}

::testing::AssertionResult SameSurface(const CSurface& a, const CSurface& b)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return ::testing::AssertionFailure() << "first difference at " << x << "," << y;
    return ::testing::AssertionSuccess();
}

TEST(PatBlt, FillsWhiteAndBlackInsideSurfaceOriginAndClip)
{
    CSurface s = PatternSurface(6, 5, 1);
    const CSurface before = s;
    RecordingDC dc;
    dc.AttachSurface(&s);
    dc.SetWindowOrg(2, -1);
    EXPECT_TRUE(dc.PatBlt(1, -3, 4, 4, WHITENESS)); // device (-1, -2) .. (3, 2)
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(s.Pixel(x, y), x < 3 && y < 2 ? 0x00FFFFFFu : before.Pixel(x, y)) << x << "," << y;
    ASSERT_EQ(dc.changes.size(), 1u);
    EXPECT_EQ(dc.changes[0], (RECT{0, 0, 3, 2}));

    CRgn tri;
    const POINT pts[3] = {{0, 0}, {6, 0}, {0, 6}};
    tri.CreatePolygonRgn(pts, 3, ALTERNATE);
    dc.SetWindowOrg(0, 0);
    dc.SelectClipRgn(&tri);
    dc.OffsetClipRgn(1, 1);
    EXPECT_TRUE(dc.PatBlt(0, 0, 6, 5, BLACKNESS));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            if (tri.PtInRegion(x - 1, y - 1))
                EXPECT_EQ(s.Pixel(x, y), 0u);
            else
                EXPECT_NE(s.Pixel(x, y), 0u) << x << "," << y;
    EXPECT_EQ(dc.changes.back(), (RECT{1, 1, 6, 5}));

    // Other operations, empty sizes and a DC without a surface draw nothing.
    const std::size_t n = dc.changes.size();
    EXPECT_FALSE(dc.PatBlt(0, 0, 6, 5, SRCCOPY));
    EXPECT_TRUE(dc.PatBlt(0, 0, 0, 5, WHITENESS));
    EXPECT_TRUE(dc.PatBlt(0, 0, -3, 5, WHITENESS));
    EXPECT_TRUE(dc.PatBlt(7, 0, 3, 3, WHITENESS)); // wholly outside
    EXPECT_EQ(dc.changes.size(), n);
    CDC none;
    EXPECT_FALSE(none.PatBlt(0, 0, 1, 1, WHITENESS));
}

TEST(BitBlt, ClipsAtEveryEdgeOfBothSurfacesWithOrigins)
{
    const CSurface src = PatternSurface(5, 4, 2);
    CSurface srcCopy = src;
    CDC srcDC;
    srcDC.AttachSurface(&srcCopy);
    for (POINT srcOrg : {POINT{0, 0}, POINT{-2, 1}}) {
        srcDC.SetWindowOrg(srcOrg.x, srcOrg.y);
        for (POINT dstOrg : {POINT{0, 0}, POINT{3, -2}}) {
            for (int w : {1, 3, 9}) {
                for (int h : {1, 4, 8}) {
                    for (int x = -7; x <= 9; ++x) {
                        for (int y = -6; y <= 8; y += 2) {
                            for (int xs : {-3, 0, 2}) {
                                for (int ys : {-2, 1}) {
                                    const CSurface before = PatternSurface(7, 6, 3);
                                    CSurface dst = before;
                                    CDC dc;
                                    dc.AttachSurface(&dst);
                                    dc.SetWindowOrg(dstOrg.x, dstOrg.y);
                                    ASSERT_TRUE(dc.BitBlt(x, y, w, h, &srcDC, xs, ys, SRCCOPY));
                                    ASSERT_TRUE(SameSurface(dst, ModelBlt(before, src, dstOrg, srcOrg, nullptr, x, y, w, h,
                                                                          xs, ys)))
                                        << "x=" << x << " y=" << y << " w=" << w << " h=" << h << " xs=" << xs
                                        << " ys=" << ys;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(BitBlt, HonoursTheClipRegionAndReportsTheChangedBox)
{
    const CSurface src = PatternSurface(12, 12, 4);
    CSurface srcCopy = src;
    CDC srcDC;
    srcDC.AttachSurface(&srcCopy);
    CRgn shape;
    const POINT pts[5] = {{1, 0}, {9, 3}, {6, 9}, {4, 5}, {0, 8}};
    shape.CreatePolygonRgn(pts, 5, ALTERNATE);
    for (int x = -4; x <= 6; ++x) {
        for (int y = -4; y <= 6; ++y) {
            const CSurface before = PatternSurface(10, 10, 5);
            CSurface dst = before;
            RecordingDC dc;
            dc.AttachSurface(&dst);
            dc.SelectClipRgn(&shape);
            dc.OffsetClipRgn(1, -1);
            ASSERT_TRUE(dc.BitBlt(x, y, 7, 8, &srcDC, 2, 1, SRCCOPY));
            const CRgn* clip = dc.GetClipRgn();
            const CSurface want = ModelBlt(before, src, {}, {}, clip, x, y, 7, 8, 2, 1);
            ASSERT_TRUE(SameSurface(dst, want)) << x << "," << y;
            // The reported rectangle is the bounding box of what was written.
            RECT box{};
            for (int Y = 0; Y < 10; ++Y)
                for (int X = 0; X < 10; ++X)
                    if (clip->PtInRegion(X, Y) && Contains(x, 7, X) && Contains(y, 8, Y))
                        UnionRect(box, box, RECT{X, Y, X + 1, Y + 1});
            if (IsRectEmpty(box)) {
                EXPECT_TRUE(dc.changes.empty());
            } else {
                ASSERT_EQ(dc.changes.size(), 1u);
                EXPECT_EQ(dc.changes[0], box);
            }
        }
    }
}

TEST(BitBlt, OverlappingCopiesWithinOneSurfaceBehaveLikeMemmove)
{
    // No clip, a convex clip, and one with two runs per row (a U), where a
    // sideways move must take the runs of a row right to left or left to right.
    CRgn diamond, u;
    const POINT pts[4] = {{5, 0}, {10, 5}, {5, 10}, {0, 5}};
    diamond.CreatePolygonRgn(pts, 4, ALTERNATE);
    const POINT upts[8] = {{0, 0}, {4, 0}, {4, 5}, {6, 5}, {6, 0}, {10, 0}, {10, 9}, {0, 9}};
    u.CreatePolygonRgn(upts, 8, ALTERNATE);
    const CRgn* clips[3] = {nullptr, &diamond, &u};
    for (const CRgn* clip : clips) {
        for (int dx = -4; dx <= 4; ++dx) {
            for (int dy = -3; dy <= 3; ++dy) {
                CSurface s = PatternSurface(10, 9, 6);
                const CSurface before = s;
                CDC dc;
                dc.AttachSurface(&s);
                dc.SelectClipRgn(clip);
                ASSERT_TRUE(dc.BitBlt(dx, 2 + dy, 10, 5, &dc, 0, 2, SRCCOPY));
                const CSurface want = ModelBlt(before, before, {}, {}, clip, dx, 2 + dy, 10, 5, 0, 2);
                ASSERT_TRUE(SameSurface(s, want)) << dx << "," << dy << " clip " << clip;
            }
        }
    }
    // Two DCs on one surface with different origins overlap the same way.
    CSurface s = PatternSurface(10, 9, 7);
    const CSurface before = s;
    CDC a, b;
    a.AttachSurface(&s);
    b.AttachSurface(&s);
    b.SetWindowOrg(-1, -1);
    ASSERT_TRUE(a.BitBlt(1, 1, 8, 7, &b, -1, -1, SRCCOPY)); // source device (0, 0)
    EXPECT_TRUE(SameSurface(s, ModelBlt(before, before, {}, {}, nullptr, 1, 1, 8, 7, 0, 0)));
}

TEST(BitBlt, RefusesWhatItCannotCopy)
{
    CSurface s = PatternSurface(4, 4, 8);
    const CSurface before = s;
    CDC dc, empty;
    dc.AttachSurface(&s);
    EXPECT_FALSE(dc.BitBlt(0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(dc.BitBlt(0, 0, 4, 4, &empty, 0, 0, SRCCOPY));
    EXPECT_FALSE(dc.BitBlt(0, 0, 4, 4, &dc, 0, 0, 0x00EE0086)); // SRCPAINT
    EXPECT_TRUE(SameSurface(s, before));
    EXPECT_TRUE(dc.BitBlt(1, 1, 2, 2, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(s.Pixel(1, 1), 0x00FFFFFFu);
}

TEST(BitBlt, MemoryDCDrawsIntoTheSelectedBitmap)
{
    CDC mem;
    EXPECT_TRUE(mem.CreateCompatibleDC(nullptr));
    EXPECT_FALSE(mem.PatBlt(0, 0, 1, 1, WHITENESS)); // nothing selected yet
    CBitmap bmp, other;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&mem, 3, 2));
    ASSERT_TRUE(other.CreateCompatibleBitmap(&mem, 3, 2));
    EXPECT_EQ(mem.SelectObject(&bmp), nullptr);
    EXPECT_TRUE(mem.PatBlt(0, 0, 3, 2, WHITENESS));
    EXPECT_EQ(mem.SelectObject(&other), &bmp);
    EXPECT_EQ(bmp.Surface()->Pixel(2, 1), 0x00FFFFFFu);
    EXPECT_EQ(other.Surface()->Pixel(2, 1), 0u);
    EXPECT_EQ(mem.SelectObject(static_cast<CBitmap*>(nullptr)), &other);
    EXPECT_EQ(mem.GetSurface(), nullptr);
}

TEST(ClientDC, PresentsEveryChangeOfTheWindow)
{
    rastertest::ScopedPlatform fake;
    HWND h = reinterpret_cast<HWND>(std::uintptr_t(0x10));
    fake.platform.windows[h].Resize(8, 6);
    CWnd wnd;
    wnd.m_hWnd = h;
    {
        CClientDC dc(&wnd);
        ASSERT_EQ(dc.GetSurface(), &fake.platform.windows[h]);
        dc.PatBlt(-2, 4, 5, 5, WHITENESS);
        dc.PatBlt(20, 0, 5, 5, WHITENESS); // outside: nothing to present
        ASSERT_EQ(fake.platform.presented.size(), 1u);
        EXPECT_EQ(fake.platform.presented[0].first, h);
        EXPECT_EQ(fake.platform.presented[0].second, (RECT{0, 4, 3, 6}));
    }
    wnd.m_hWnd = nullptr;
    CClientDC none(nullptr);
    EXPECT_FALSE(none.PatBlt(0, 0, 1, 1, WHITENESS));
}

TEST(DC, ClipRegionIsACopyAndModesRoundTrip)
{
    CSurface s(4, 4);
    CDC dc;
    dc.AttachSurface(&s);
    CRgn r;
    r.CreateRectRgn(0, 0, 2, 2);
    EXPECT_EQ(dc.SelectClipRgn(&r), COMPLEXREGION);
    r.OffsetRgn(2, 2); // the DC keeps its own copy
    EXPECT_EQ(dc.OffsetClipRgn(1, 0), COMPLEXREGION);
    dc.PatBlt(0, 0, 4, 4, WHITENESS);
    EXPECT_EQ(s.Pixel(0, 0), 0u);
    EXPECT_EQ(s.Pixel(1, 0), 0x00FFFFFFu);
    EXPECT_EQ(s.Pixel(2, 1), 0x00FFFFFFu);
    EXPECT_EQ(s.Pixel(3, 3), 0u);
    EXPECT_EQ(dc.SelectClipRgn(nullptr), SIMPLEREGION);
    EXPECT_EQ(dc.GetClipRgn(), nullptr);
    CRgn invalid;
    EXPECT_EQ(dc.SelectClipRgn(&invalid), RGN_ERROR);

    EXPECT_EQ(dc.SetStretchBltMode(COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(dc.SetStretchBltMode(99), 0);
    EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
    EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);
    EXPECT_EQ(dc.SetTextColor(RGB(1, 2, 3)), 0u);
    EXPECT_EQ(dc.SetTextColor(0), RGB(1, 2, 3));
    EXPECT_EQ(dc.SetWindowOrg(5, 6), (POINT{0, 0}));
    EXPECT_EQ(dc.GetWindowOrg(), (POINT{5, 6}));
}

} // namespace
