// The FreeType text engine with the fonts installed on the machine
// (DejaVu and Liberation): sizes, lines, centring, styles, code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "backends/posix/freetype_text.h"

#if defined(__SANITIZE_ADDRESS__)
// fontconfig (2.14) loses a few bytes of the configuration it parses at
// initialisation; that is not this code's leak.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace {

LOGFONT Font(const char* face, LONG height, LONG weight = 0, BYTE italic = 0)
{
    LOGFONT lf;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    return lf;
}

class TextEngineTest : public ::testing::Test {
protected:
    CFreeTypeTextEngine m_engine;
};

int CountInk(const TextMask& m)
{
    return int(std::count_if(m.alpha.begin(), m.alpha.end(), [](BYTE a) { return a != 0; }));
}

TEST_F(TextEngineTest, MeasureScalesWithTheSize)
{
    const SIZE small = m_engine.Measure(Font("DejaVu Sans", -20), "Mosvik jigsaw");
    const SIZE large = m_engine.Measure(Font("DejaVu Sans", -40), "Mosvik jigsaw");
    ASSERT_GT(small.cx, 0);
    EXPECT_NEAR(double(large.cx) / small.cx, 2.0, 0.1);
    EXPECT_NEAR(double(large.cy) / small.cy, 2.0, 0.1);
    // DejaVu Sans' cell is 1.164 em: 23 pixels for a 20-pixel em.
    EXPECT_EQ(small.cy, 23);
    EXPECT_EQ(m_engine.LineHeight(Font("DejaVu Sans", -20)), 23);
    // A positive height is the cell.
    EXPECT_EQ(m_engine.Measure(Font("DejaVu Sans", 23), "x").cy, 23);
    EXPECT_EQ(m_engine.Measure(Font("DejaVu Sans", 0), "x").cy, 16);
}

TEST_F(TextEngineTest, LinesBreakOnEveryLineEndButNotAtTheVeryEnd)
{
    const LOGFONT f = Font("DejaVu Sans", -16);
    const SIZE one = m_engine.Measure(f, "Hello");
    const SIZE wide = m_engine.Measure(f, "Hello, world");
    EXPECT_EQ(m_engine.Measure(f, "Hello\nHello, world"), (SIZE{wide.cx, 2 * one.cy}));
    EXPECT_EQ(m_engine.Measure(f, "Hello\r\nHello, world"), (SIZE{wide.cx, 2 * one.cy}));
    EXPECT_EQ(m_engine.Measure(f, "Hello\rHi\n\nHi").cy, 4 * one.cy);
    EXPECT_EQ(m_engine.Measure(f, "Hello\r\n"), one);
    EXPECT_EQ(m_engine.Measure(f, "\n"), (SIZE{0, one.cy}));
    EXPECT_EQ(m_engine.Measure(f, ""), (SIZE{0, 0}));
}

TEST_F(TextEngineTest, RenderCentresEachLineAndStartsAtTheTop)
{
    const LOGFONT f = Font("DejaVu Sans", -20);
    const RECT box{100, 50, 500, 300};
    TextMask m;
    m_engine.Render(f, "Hello, world", DT_CENTER, box, m);
    ASSERT_FALSE(m.alpha.empty());
    ASSERT_EQ(m.alpha.size(), std::size_t(m.rc.right - m.rc.left) * std::size_t(m.rc.bottom - m.rc.top));
    const int centre = (m.rc.left + m.rc.right) / 2;
    EXPECT_NEAR(centre, 300, 3);
    EXPECT_GE(m.rc.top, box.top);
    EXPECT_LT(m.rc.top, box.top + 10);
    EXPECT_LE(m.rc.bottom, box.top + 23 + 2);
    // Antialiased: coverage between the extremes exists.
    EXPECT_TRUE(std::any_of(m.alpha.begin(), m.alpha.end(), [](BYTE a) { return a > 0 && a < 255; }));

    // Left-aligned lines start at the box; the second line sits one line lower.
    TextMask left;
    m_engine.Render(f, "Hi\nHi", DT_LEFT, box, left);
    EXPECT_NEAR(left.rc.left, box.left, 3);
    EXPECT_GT(left.rc.bottom - left.rc.top, 23);

    // Narrow box: the line overhangs it on both sides (no clipping here).
    TextMask narrow;
    m_engine.Render(f, "Hello, world", DT_CENTER, RECT{290, 0, 310, 10}, narrow);
    EXPECT_LT(narrow.rc.left, 290);
    EXPECT_GT(narrow.rc.right, 310);
    EXPECT_NEAR((narrow.rc.left + narrow.rc.right) / 2, 300, 3);

    // Nothing to draw: an empty mask.
    m_engine.Render(f, "\n", DT_CENTER, box, m);
    EXPECT_TRUE(m.alpha.empty());
    EXPECT_TRUE(IsRectEmpty(m.rc));
}

TEST_F(TextEngineTest, BoldAndItalicChangeTheGlyphs)
{
    const SIZE regular = m_engine.Measure(Font("DejaVu Sans", -30), "Jigsaw puzzle");
    const SIZE bold = m_engine.Measure(Font("DejaVu Sans", -30, 700), "Jigsaw puzzle");
    EXPECT_GT(bold.cx, regular.cx);
    EXPECT_EQ(m_engine.Measure(Font("DejaVu Sans", -30, 599), "Jigsaw puzzle"), regular);
    TextMask upright, slanted;
    m_engine.Render(Font("DejaVu Sans", -30), "l", DT_LEFT, RECT{0, 0, 100, 100}, upright);
    m_engine.Render(Font("DejaVu Sans", -30, 400, 1), "l", DT_LEFT, RECT{0, 0, 100, 100}, slanted);
    EXPECT_GT(slanted.rc.right - slanted.rc.left, upright.rc.right - upright.rc.left);
}

TEST_F(TextEngineTest, FacesResolveThroughFontconfig)
{
    EXPECT_NE(m_engine.FontFile(Font("DejaVu Sans", -12)).find("DejaVuSans"), std::string::npos);
    // Unknown names still find a face.
    EXPECT_FALSE(m_engine.FontFile(Font("No Such Face 123", -12)).empty());
    const std::string arial = m_engine.FontFile(Font("Arial", -12));
    if (arial.find("Liberation") == std::string::npos)
        GTEST_SKIP() << "fonts-liberation is not installed (Arial resolves to " << arial << ")";
    EXPECT_NE(arial.find("LiberationSans"), std::string::npos);
}

TEST_F(TextEngineTest, TextIsReadAsWindows1252)
{
    const LOGFONT f = Font("DejaVu Sans", -24);
    TextMask e, eacute, euro, missing;
    m_engine.Render(f, "e", DT_LEFT, RECT{0, 0, 50, 50}, e);
    m_engine.Render(f, "\xE9", DT_LEFT, RECT{0, 0, 50, 50}, eacute); // é
    m_engine.Render(f, "\x80", DT_LEFT, RECT{0, 0, 50, 50}, euro);   // €
    EXPECT_LT(eacute.rc.top, e.rc.top);                               // the accent stands above
    EXPECT_GT(CountInk(eacute), CountInk(e));
    EXPECT_GT(CountInk(euro), 0);
}

TEST_F(TextEngineTest, HugeHeightsAreClamped)
{
    const SIZE s = m_engine.Measure(Font("DejaVu Sans", -1000000), "x");
    EXPECT_LE(s.cy, 2 * CFreeTypeTextEngine::kMaxPixelHeight);
    EXPECT_GT(s.cy, CFreeTypeTextEngine::kMaxPixelHeight);
}

} // namespace
