// DrawText through a fake text engine: measuring, the coverage blend, and
// clipping to the rectangle (unless DT_NOCLIP), the surface and the region.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "raster/dc.h"

namespace {
using rastertest::FakeTextEngine;
using rastertest::ScopedPlatform;

constexpr std::uint32_t kBack = 0x00204060; // red 0x20, green 0x40, blue 0x60
constexpr COLORREF kInk = RGB(200, 100, 0);

std::uint32_t Blended(std::uint32_t cover)
{
    return (BlendChannel(0x20, 200, cover) << 16) | (BlendChannel(0x40, 100, cover) << 8) | BlendChannel(0x60, 0, cover);
}

TEST(TextBlend, RoundsHalfUpAndKeepsTheEnds)
{
    for (std::uint32_t d = 0; d < 256; ++d) {
        for (std::uint32_t s = 0; s < 256; ++s) {
            EXPECT_EQ(BlendChannel(d, s, 0), d);
            EXPECT_EQ(BlendChannel(d, s, 255), s);
            for (std::uint32_t a = 1; a < 255; a += 7) {
                // dst + (src - dst) * a / 255, rounded half up, in exact integers.
                const int num = 255 * int(d) + (int(s) - int(d)) * int(a);
                const int want = (2 * num + 255) / 510; // num >= 0, so this is floor(num / 255 + 1/2)
                ASSERT_EQ(BlendChannel(d, s, a), std::uint32_t(want)) << d << " " << s << " " << a;
            }
        }
    }
    EXPECT_EQ(BlendChannel(255, 0, 128), 127u);
    EXPECT_EQ(BlendChannel(0, 255, 128), 128u);
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing)
{
    ScopedPlatform fake;
    fake.platform.text.extent = SIZE{37, 15};
    CSurface s(4, 4);
    s.Fill(kBack);
    CDC dc;
    dc.AttachSurface(&s);
    CFont font;
    font.CreatePointFont(120, "Serif", nullptr);
    dc.SelectObject(&font);
    RECT rc{5, 6, 100, 100};
    EXPECT_EQ(dc.DrawText("two\nlines", &rc, DT_CALCRECT | DT_NOCLIP), 15);
    EXPECT_EQ(rc, (RECT{5, 6, 42, 21}));
    EXPECT_EQ(fake.platform.text.lastText, "two\nlines");
    EXPECT_EQ(fake.platform.text.lastFont.lfHeight, -16);
    EXPECT_EQ(fake.platform.text.renders, 0);
    EXPECT_EQ(s.Pixel(0, 0), kBack);
}

TEST(DrawText, BlendsTheTextColourByCoverage)
{
    ScopedPlatform fake;
    FakeTextEngine& eng = fake.platform.text;
    eng.at = POINT{1, 1};
    eng.coverW = 3;
    eng.coverH = 2;
    eng.cover = {0, 64, 128, 255, 254, 1};
    CSurface s(10, 8);
    s.Fill(kBack);
    rastertest::RecordingDC dc;
    dc.AttachSurface(&s);
    dc.SetWindowOrg(1, 0);
    dc.SetTextColor(kInk);
    dc.SetBkMode(TRANSPARENT);
    RECT rc{2, 2, 9, 7};
    dc.DrawText("x", &rc, DT_CENTER);
    EXPECT_EQ(eng.lastBox, (RECT{1, 2, 8, 7})); // device coordinates
    EXPECT_EQ(eng.lastFormat, DT_CENTER);
    EXPECT_EQ(rc, (RECT{2, 2, 9, 7}));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            std::uint32_t want = kBack;
            if (x >= 2 && x < 5 && y >= 3 && y < 5)
                want = Blended(eng.cover[std::size_t((y - 3) * 3 + (x - 2))]);
            EXPECT_EQ(s.Pixel(x, y), want) << x << "," << y;
        }
    }
    EXPECT_EQ(s.Pixel(3, 4), Blended(254)); // not rounded to solid
    EXPECT_EQ(s.Pixel(2, 4), 0x00C86400u);  // full coverage is the ink exactly
    ASSERT_EQ(dc.changes.size(), 1u);
    EXPECT_EQ(dc.changes[0], (RECT{2, 3, 5, 5}));
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip)
{
    ScopedPlatform fake;
    FakeTextEngine& eng = fake.platform.text;
    eng.at = POINT{-2, -1}; // the text overhangs its box up and left
    eng.coverW = 6;
    eng.coverH = 4;
    eng.cover.assign(24, 255);
    for (UINT format : {UINT(DT_LEFT), UINT(DT_NOCLIP)}) {
        CSurface s(8, 8);
        s.Fill(kBack);
        CDC dc;
        dc.AttachSurface(&s);
        dc.SetTextColor(kInk);
        RECT rc{1, 2, 5, 8};
        dc.DrawText("clip", &rc, format);
        // Mask covers (-1, 1) .. (5, 5); the box is (1, 2) .. (5, 8).
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool inMask = x < 5 && y >= 1 && y < 5;
                const bool inBox = x >= 1 && x < 5 && y >= 2;
                const bool drawn = inMask && (format == DT_NOCLIP || inBox);
                EXPECT_EQ(s.Pixel(x, y), drawn ? 0x00C86400u : kBack) << format << ": " << x << "," << y;
            }
        }
    }
}

TEST(DrawText, HonoursTheClipRegionAndDistrustsShortMasks)
{
    ScopedPlatform fake;
    FakeTextEngine& eng = fake.platform.text;
    eng.coverW = 6;
    eng.coverH = 6;
    eng.cover.assign(36, 255);
    CSurface s(6, 6);
    s.Fill(kBack);
    CDC dc;
    dc.AttachSurface(&s);
    CRgn r;
    r.CreateRectRgn(2, 1, 4, 3);
    dc.SelectClipRgn(&r);
    RECT rc{0, 0, 6, 6};
    dc.DrawText("r", &rc, DT_NOCLIP);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(s.Pixel(x, y), r.PtInRegion(x, y) ? 0u : kBack);

    dc.SelectClipRgn(nullptr);
    s.Fill(kBack);
    eng.shortMask = true;
    dc.DrawText("r", &rc, DT_NOCLIP);
    EXPECT_EQ(s.Pixel(0, 0), kBack);
    EXPECT_EQ(s.Pixel(5, 5), kBack);
}

} // namespace
