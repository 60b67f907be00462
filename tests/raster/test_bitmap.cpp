// Bitmaps, fonts and the built-in resources: loading packed DIBs (the tile,
// 24-bit, palettes) and refusing malformed ones without reading past them.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "fake_platform.h"
#include "raster/dc.h"
#include "resources/resources.h"

namespace {

// A packed DIB: header, `colours` palette entries, then bottom-up rows.
std::vector<BYTE> Packed(int w, int h, int bits, DWORD clrUsed, int colours, const std::vector<BYTE>& rows)
{
    BITMAPINFOHEADER bih{};
    bih.biSize = 40;
    bih.biWidth = w;
    bih.biHeight = h;
    bih.biPlanes = 1;
    bih.biBitCount = WORD(bits);
    bih.biClrUsed = clrUsed;
    std::vector<BYTE> out(sizeof bih);
    std::memcpy(out.data(), &bih, sizeof bih);
    for (int i = 0; i < colours; ++i) {
        const BYTE q[4] = {BYTE(i), BYTE(255 - i), BYTE(i * 3), 0}; // blue, green, red
        out.insert(out.end(), q, q + 4);
    }
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

BITMAPINFOHEADER& Header(std::vector<BYTE>& dib) { return *reinterpret_cast<BITMAPINFOHEADER*>(dib.data()); }

TEST(Bitmap, LoadsTheBuiltInTileAsItsPaletteSays)
{
    const std::vector<BYTE> dib = res::BuiltinBitmap(IDB_TILE);
    ASSERT_GT(dib.size(), 40u + 1024u);
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadPackedDib(dib.data(), dib.size()));
    EXPECT_EQ(bmp.GetSize(), (SIZE{117, 117}));
    // Decode a few pixels independently from the bytes.
    const BYTE* pal = dib.data() + 40;
    const BYTE* rows = pal + 256 * 4;
    for (int y : {0, 1, 58, 116}) {
        for (int x : {0, 3, 77, 116}) {
            const BYTE idx = rows[std::size_t(116 - y) * 120 + std::size_t(x)];
            const BYTE* q = pal + idx * 4;
            const std::uint32_t want = (std::uint32_t(q[2]) << 16) | (std::uint32_t(q[1]) << 8) | q[0];
            EXPECT_EQ(bmp.Surface()->Pixel(x, y), want) << x << "," << y;
        }
    }
    EXPECT_TRUE(res::BuiltinBitmap(IDB_TILE + 1).empty());
}

TEST(Bitmap, Loads24BitAndShortPalettesTopDown)
{
    // 2 x 2, 24-bit: rows padded to 8 bytes, bottom row first.
    const std::vector<BYTE> rows24 = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    std::vector<BYTE> dib = Packed(2, 2, 24, 0, 0, rows24);
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadPackedDib(dib.data(), dib.size()));
    EXPECT_EQ(bmp.Surface()->Pixel(0, 0), 0x00090807u); // top row is the last in memory
    EXPECT_EQ(bmp.Surface()->Pixel(1, 0), 0x000C0B0Au);
    EXPECT_EQ(bmp.Surface()->Pixel(0, 1), 0x00030201u);

    // Three colours used; index 200 lies past the table and reads black.
    const std::vector<BYTE> rows8 = {0, 1, 2, 200};
    dib = Packed(4, 1, 8, 3, 3, rows8);
    ASSERT_TRUE(bmp.LoadPackedDib(dib.data(), dib.size()));
    EXPECT_EQ(bmp.Surface()->Pixel(0, 0), 0x0000FF00u);
    EXPECT_EQ(bmp.Surface()->Pixel(1, 0), 0x0003FE01u);
    EXPECT_EQ(bmp.Surface()->Pixel(2, 0), 0x0006FD02u);
    EXPECT_EQ(bmp.Surface()->Pixel(3, 0), 0u);
}

TEST(Bitmap, RefusesMalformedPackedDibsAndKeepsWhatItHad)
{
    const std::vector<BYTE> good = res::BuiltinBitmap(IDB_TILE);
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(nullptr, 2, 3));
    const CSurface* kept = bmp.Surface();

    // Every truncation, each in a block of exactly its size.
    for (std::size_t n = 0; n < good.size(); n += (n < 1200 ? 1 : 97)) {
        std::vector<BYTE> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        ASSERT_FALSE(bmp.LoadPackedDib(cut.data(), cut.size())) << n;
    }
    std::vector<BYTE> almost(good.begin(), good.end() - 1);
    EXPECT_FALSE(bmp.LoadPackedDib(almost.data(), almost.size()));
    EXPECT_FALSE(bmp.LoadPackedDib(nullptr, 100));

    auto refused = [&](auto change) {
        std::vector<BYTE> dib = good;
        change(Header(dib));
        return !bmp.LoadPackedDib(dib.data(), dib.size());
    };
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biHeight = 0x7FFFFFFF; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biWidth = 30000, h.biHeight = 30000; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biWidth = 121; })); // rows no longer fit
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biWidth = -117; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biHeight = -117; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biHeight = 0; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biSize = 0xFFFFFFF0u; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biSize = 39; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biClrUsed = 257; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biClrUsed = 0xFFFFFFFFu; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biBitCount = 4; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biBitCount = 32; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biCompression = 1; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biPlanes = 2; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biBitCount = 24; })); // 24-bit rows need 3x the bytes
    EXPECT_EQ(bmp.Surface(), kept);
    EXPECT_EQ(bmp.GetSize(), (SIZE{2, 3}));
}

TEST(Bitmap, CompatibleBitmapsAreBlackAndKeepTheirSurface)
{
    CBitmap bmp;
    EXPECT_FALSE(bmp.CreateCompatibleBitmap(nullptr, 0, 5));
    EXPECT_FALSE(bmp.CreateCompatibleBitmap(nullptr, 5, -1));
    EXPECT_FALSE(bmp.IsValid());
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(nullptr, 4, 3));
    CSurface* first = bmp.Surface();
    first->Fill(0x00FFFFFF);
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(nullptr, 2, 6));
    EXPECT_EQ(bmp.Surface(), first); // a DC holding it stays valid
    EXPECT_EQ(bmp.GetSize(), (SIZE{2, 6}));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(first->Pixel(x, y), 0u);
    EXPECT_FALSE(bmp.CreateCompatibleBitmap(nullptr, 1 << 20, 1 << 20));
    EXPECT_THROW(CSurface(-1, 2), std::length_error);
    bmp.DeleteObject();
    EXPECT_FALSE(bmp.IsValid());
}

TEST(Bitmap, LentMemoryIsDrawnIntoUntilTheSurfaceOutgrowsIt)
{
    std::vector<std::uint32_t> lent(12, 7);
    CSurface s(2, 2);
    s.Lend(lent.data(), lent.size(), 4, 3);
    s.Fill(0x00123456);
    EXPECT_EQ(lent[11], 0x00123456u);
    const CSurface copy = s; // owns its pixels
    s.Resize(4, 2);          // fits: still the lender's rows
    EXPECT_EQ(s.Pixels(), lent.data());
    s.Resize(5, 3); // beyond the loan: own storage, the lender's memory untouched
    EXPECT_FALSE(s.IsLent());
    s.Fill(0);
    EXPECT_EQ(lent[0], 0x00123456u);
    EXPECT_EQ(copy.Pixel(3, 2), 0x00123456u);
    EXPECT_NE(copy.Pixels(), lent.data());
    s.Lend(lent.data(), lent.size(), 4, 3);
    s.EndLoan();
    EXPECT_EQ(s.Width(), 0);
    EXPECT_THROW(s.Lend(lent.data(), lent.size(), 4, 4), std::length_error);
}

TEST(Font, PointFontsAreMadeTheFrameworksWay)
{
    rastertest::ScopedPlatform fake;
    fake.platform.logPixelsY = 96;
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, "Tahoma", nullptr));
    LOGFONT lf;
    EXPECT_EQ(font.GetLogFont(&lf), int(sizeof(LOGFONT)));
    EXPECT_EQ(lf.lfHeight, -13); // 100 * 96 / 720 = 13.3
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    LOGFONT zero{};
    zero.lfHeight = lf.lfHeight;
    zero.lfCharSet = lf.lfCharSet;
    std::strcpy(zero.lfFaceName, "Tahoma");
    EXPECT_EQ(std::memcmp(&zero, &lf, sizeof lf), 0);

    // The DC's LOGPIXELSY comes from the platform; long faces are cut to 31.
    fake.platform.logPixelsY = 120;
    CDC dc;
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 120);
    const std::string longFace(40, 'f');
    ASSERT_TRUE(font.CreatePointFont(300, longFace.c_str(), &dc));
    font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -50);
    EXPECT_EQ(std::string(lf.lfFaceName), longFace.substr(0, 31));

    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    CFont bold;
    ASSERT_TRUE(bold.CreateFontIndirect(lf));
    EXPECT_EQ(bold.Log().lfWeight, FW_BOLD);
    CFont none;
    EXPECT_EQ(none.GetLogFont(&lf), 0);
}

TEST(Resources, StringTable)
{
    EXPECT_STREQ(res::LoadString(IDS_SAVER_NAME), "Mosvik");
    EXPECT_STREQ(res::LoadString(IDS_STOCK_MESSAGE), "\"Your message here.\"");
    EXPECT_STREQ(res::LoadString(2), "");
}

} // namespace
