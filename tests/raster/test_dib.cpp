// SetDIBitsToDevice and StretchDIBits: the piece-drawing recipe (origin and
// clip region together), the source rectangle conventions, clipping, the
// nearest-neighbour mapping, and refusal of images they cannot read.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "raster/dc.h"
#include "raster_helpers.h"

namespace {
using rastertest::PatternSurface;
using rastertest::RecordingDC;
using rastertest::TestDib;

::testing::AssertionResult SameSurface(const CSurface& a, const CSurface& b)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return ::testing::AssertionFailure() << "first difference at " << x << "," << y << ": " << std::hex
                                                     << a.Pixel(x, y) << " vs " << b.Pixel(x, y);
    return ::testing::AssertionSuccess();
}

TEST(SetDIBitsToDevice, PieceRecipeDrawsOnlyInsideTheMovedRegion)
{
    const TestDib img(14, 12);
    const RECT box{10, 8, 24, 20};        // the image's home place, board pixels
    const POINT home[7] = {{11, 9}, {22, 9}, {22, 13}, {25, 14}, {22, 16}, {21, 19}, {12, 18}};
    CRgn rgn;
    rgn.CreatePolygonRgn(home, 7, ALTERNATE);

    for (POINT off : {POINT{0, 0}, POINT{7, 4}, POINT{-13, 9}, POINT{20, -10}}) {
        CSurface s = PatternSurface(40, 30, 9);
        const CSurface before = s;
        RecordingDC dc;
        dc.AttachSurface(&s);
        dc.SetWindowOrg(-5, -3); // the board's centring
        const POINT pt = dc.GetWindowOrg();
        dc.SetWindowOrg(pt.x - off.x, pt.y - off.y);
        dc.SelectClipRgn(&rgn);
        dc.OffsetClipRgn(off.x - pt.x, off.y - pt.y);
        const int n = dc.SetDIBitsToDevice(box.left, box.top, 14, 12, 0, 0, 0, 12, img.bits.data(), &img.bih,
                                           DIB_RGB_COLORS);
        dc.SelectClipRgn(nullptr);
        dc.SetWindowOrg(pt.x, pt.y);
        EXPECT_EQ(n, 12);
        EXPECT_EQ(dc.GetWindowOrg(), pt);
        EXPECT_EQ(dc.GetClipRgn(), nullptr);

        CSurface want = before;
        RECT changed{};
        for (int Y = 0; Y < 30; ++Y) {
            for (int X = 0; X < 40; ++X) {
                const int bx = X + pt.x - off.x, by = Y + pt.y - off.y; // board pixel at home
                if (!rgn.PtInRegion(bx, by) || bx < box.left || by < box.top || bx >= box.right || by >= box.bottom)
                    continue;
                want.Row(Y)[X] = img.At(bx - box.left, by - box.top);
                UnionRect(changed, changed, RECT{X, Y, X + 1, Y + 1});
            }
        }
        EXPECT_TRUE(SameSurface(s, want)) << "offset " << off.x << "," << off.y;
        if (IsRectEmpty(changed)) {
            EXPECT_TRUE(dc.changes.empty());
        } else {
            ASSERT_EQ(dc.changes.size(), 1u);
            EXPECT_EQ(dc.changes[0], changed);
        }
    }
}

TEST(SetDIBitsToDevice, FollowsTheBottomUpSourceConventionsAndClips)
{
    const TestDib img(5, 4);
    for (int xSrc : {-1, 0, 2}) {
        for (int ySrc : {-1, 0, 1}) {
            for (int w : {2, 5, 7}) {
                for (int h : {1, 4, 6}) {
                    for (UINT start : {0u, 1u}) {
                        for (UINT num : {1u, 3u, 10u}) {
                            for (int x = -6; x <= 6; x += 3) {
                                for (int y = -5; y <= 6; y += 2) {
                                    // Only the given scans exist, in a block of exactly their size.
                                    const UINT end = std::min<UINT>(4, start + num);
                                    std::vector<BYTE> scans(img.bits.begin() + std::ptrdiff_t(start) * img.stride,
                                                            img.bits.begin() + std::ptrdiff_t(end) * img.stride);
                                    CSurface s = PatternSurface(6, 5, 10);
                                    CSurface want = s;
                                    CDC dc;
                                    dc.AttachSurface(&s);
                                    dc.SetWindowOrg(1, -1);
                                    dc.SetDIBitsToDevice(x, y, DWORD(w), DWORD(h), xSrc, ySrc, start, num, scans.data(),
                                                         &img.bih, DIB_RGB_COLORS);
                                    for (int Y = 0; Y < 5; ++Y) {
                                        for (int X = 0; X < 6; ++X) {
                                            const int i = X + 1 - x, j = Y - 1 - y;
                                            if (i < 0 || j < 0 || i >= w || j >= h)
                                                continue;
                                            const int col = xSrc + i, row = ySrc + h - 1 - j; // row from the bottom
                                            if (col < 0 || col >= 5 || row < int(start) || row >= int(end))
                                                continue;
                                            want.Row(Y)[X] = img.At(col, 3 - row);
                                        }
                                    }
                                    ASSERT_TRUE(SameSurface(s, want))
                                        << "xSrc=" << xSrc << " ySrc=" << ySrc << " w=" << w << " h=" << h
                                        << " start=" << start << " num=" << num << " at " << x << "," << y;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(SetDIBitsToDevice, ConvertsEveryRunLengthExactly)
{
    // Runs of 1 to 13 pixels exercise the four-pixel main loop and its tail.
    const TestDib img(13, 2, 0x15);
    for (int w = 1; w <= 13; ++w) {
        CSurface s(16, 2);
        s.Fill(0x00123456);
        CDC dc;
        dc.AttachSurface(&s);
        TestDib part(w, 2, 0x15);
        dc.SetDIBitsToDevice(1, 0, DWORD(w), 2, 0, 0, 0, 2, part.bits.data(), &part.bih, DIB_RGB_COLORS);
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(s.Pixel(0, y), 0x00123456u);
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(s.Pixel(1 + x, y), img.At(x, y)) << w << ":" << x;
            EXPECT_EQ(s.Pixel(1 + w, y), 0x00123456u);
        }
    }
}

TEST(DibCopies, RefuseImagesTheyCannotRead)
{
    TestDib img(4, 4);
    CSurface s = PatternSurface(6, 6, 11);
    const CSurface before = s;
    CDC dc;
    dc.AttachSurface(&s);
    auto both = [&](const BITMAPINFOHEADER& bih, const void* bits, UINT usage) {
        const int a = dc.SetDIBitsToDevice(0, 0, 4, 4, 0, 0, 0, 4, bits, &bih, usage);
        const int b = dc.StretchDIBits(0, 0, 6, 6, 0, 0, 4, 4, bits, &bih, usage, SRCCOPY);
        return a == 0 && b == 0;
    };
    BITMAPINFOHEADER bad = img.bih;
    bad.biBitCount = 32;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    bad = img.bih;
    bad.biBitCount = 8;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    bad = img.bih;
    bad.biCompression = 1;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    bad = img.bih;
    bad.biHeight = -4;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    bad = img.bih;
    bad.biWidth = 0;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    bad = img.bih;
    bad.biWidth = 0x7FFFFFFF;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    bad = img.bih;
    bad.biSize = 12;
    EXPECT_TRUE(both(bad, img.bits.data(), DIB_RGB_COLORS));
    EXPECT_TRUE(both(img.bih, nullptr, DIB_RGB_COLORS));
    EXPECT_TRUE(both(img.bih, img.bits.data(), 1)); // palette indices
    EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 4, 4, 0, 0, 4, 4, img.bits.data(), &img.bih, DIB_RGB_COLORS), 0);
    EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 0, 4, 0, 0, 0, 4, img.bits.data(), &img.bih, DIB_RGB_COLORS), 0);
    // Mirroring and other raster operations are not drawn.
    EXPECT_EQ(dc.StretchDIBits(5, 0, -4, 4, 0, 0, 4, 4, img.bits.data(), &img.bih, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(dc.StretchDIBits(0, 5, 4, -4, 0, 0, 4, 4, img.bits.data(), &img.bih, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(dc.StretchDIBits(0, 0, 4, 4, 4, 0, -4, 4, img.bits.data(), &img.bih, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(dc.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, img.bits.data(), &img.bih, DIB_RGB_COLORS, WHITENESS), 0);
    EXPECT_TRUE(SameSurface(s, before));
}

TEST(StretchDIBits, MappingDropsAndRepeatsAsDocumented)
{
    // The mapping itself: shrinking drops, enlarging repeats.
    EXPECT_EQ(StretchSourceIndex(0, 8, 3), 0);
    EXPECT_EQ(StretchSourceIndex(1, 8, 3), 2);
    EXPECT_EQ(StretchSourceIndex(2, 8, 3), 5);
    const int up[5] = {0, 0, 0, 1, 1};
    for (int d = 0; d < 5; ++d)
        EXPECT_EQ(StretchSourceIndex(d, 2, 5), up[d]);

    struct Case {
        int sw, sh, dw, dh;
        std::vector<int> cols, rows;
    };
    const Case cases[] = {
        {3, 2, 7, 5, {0, 0, 0, 1, 1, 2, 2}, {0, 0, 0, 1, 1}},
        {8, 6, 3, 4, {0, 2, 5}, {0, 1, 3, 4}},
        {5, 5, 5, 5, {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        const TestDib img(c.sw, c.sh);
        CSurface s(c.dw + 2, c.dh + 2);
        s.Fill(0x00ABCDEF);
        CDC dc;
        dc.AttachSurface(&s);
        dc.SetStretchBltMode(COLORONCOLOR);
        EXPECT_EQ(dc.StretchDIBits(1, 1, c.dw, c.dh, 0, 0, c.sw, c.sh, img.bits.data(), &img.bih, DIB_RGB_COLORS,
                                   SRCCOPY),
                  c.sh);
        for (int y = 0; y < c.dh + 2; ++y) {
            for (int x = 0; x < c.dw + 2; ++x) {
                const bool inside = x >= 1 && y >= 1 && x <= c.dw && y <= c.dh;
                const std::uint32_t want =
                    inside ? img.At(c.cols[std::size_t(x - 1)], c.rows[std::size_t(y - 1)]) : 0x00ABCDEFu;
                EXPECT_EQ(s.Pixel(x, y), want) << c.sw << "x" << c.sh << "->" << c.dw << "x" << c.dh << " at " << x
                                               << "," << y;
            }
        }
    }
}

TEST(StretchDIBits, SourceRectangleCountsFromTheBottomAndClipsToTheImage)
{
    const TestDib img(6, 6);
    CSurface s = PatternSurface(8, 8, 12);
    CDC dc;
    dc.AttachSurface(&s);
    // Lower edge 2 rows above the bottom, 2 rows high: top-down rows 2 and 3.
    dc.StretchDIBits(0, 0, 3, 2, 1, 2, 3, 2, img.bits.data(), &img.bih, DIB_RGB_COLORS, SRCCOPY);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(s.Pixel(x, y), img.At(1 + x, 2 + y));

    // Partly outside the image, on a DC with an origin and a clip region:
    // compare with the documented mapping pixel by pixel.
    CRgn tri;
    const POINT pts[3] = {{0, 0}, {9, 1}, {2, 8}};
    tri.CreatePolygonRgn(pts, 3, ALTERNATE);
    for (int xSrc : {-3, 0, 4}) {
        for (int ySrc : {-2, 0, 3}) {
            for (int x = -4; x <= 4; x += 2) {
                CSurface t = PatternSurface(8, 8, 13);
                CSurface want = t;
                RecordingDC d2;
                d2.AttachSurface(&t);
                d2.SetWindowOrg(2, 1);
                d2.SelectClipRgn(&tri);
                const int wD = 9, hD = 7, wS = 5, hS = 4;
                d2.StretchDIBits(x, 0, wD, hD, xSrc, ySrc, wS, hS, img.bits.data(), &img.bih, DIB_RGB_COLORS, SRCCOPY);
                RECT changed{};
                for (int Y = 0; Y < 8; ++Y) {
                    for (int X = 0; X < 8; ++X) {
                        const int dx = X + 2 - x, dy = Y + 1;
                        if (dx < 0 || dy < 0 || dx >= wD || dy >= hD || !tri.PtInRegion(X, Y))
                            continue;
                        const int col = xSrc + int(StretchSourceIndex(dx, wS, wD));
                        const int row = 6 - ySrc - hS + int(StretchSourceIndex(dy, hS, hD));
                        if (col < 0 || col >= 6 || row < 0 || row >= 6)
                            continue;
                        want.Row(Y)[X] = img.At(col, row);
                        UnionRect(changed, changed, RECT{X, Y, X + 1, Y + 1});
                    }
                }
                ASSERT_TRUE(SameSurface(t, want)) << xSrc << "," << ySrc << " at " << x;
                if (!IsRectEmpty(changed)) {
                    ASSERT_EQ(d2.changes.size(), 1u);
                    EXPECT_EQ(d2.changes[0], changed);
                }
            }
        }
    }
}

} // namespace
