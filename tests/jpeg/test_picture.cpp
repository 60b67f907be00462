// The picture payload: bottom-up B,G,R block from the stored stream, white
// wherever the stream does not reach, and never a failure.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "document/picture.h"
#include "stream_builder.h"

using namespace jt;

namespace {

BITMAPINFOHEADER Header(int width, int height)
{
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = DWORD(PictureStride(width) * std::size_t(height));
    return h;
}

// A stream whose blocks carry random coefficients: 4:2:0 colour or grey.
Bytes RandomStream(int width, int height, bool colour, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<Frame> comps = colour ? std::vector<Frame>{{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}
                                      : std::vector<Frame>{{1, 1, 1, 0}};
    Writer w = Writer::Standard(width, height, comps, 6);
    const int mcu = colour ? 16 : 8;
    const int mcus = ((width + mcu - 1) / mcu) * ((height + mcu - 1) / mcu);
    BitWriter bw;
    HuffEncoder dc(SimpleDc()), ac(SimpleAc());
    int pred[3] = {};
    for (int m = 0; m < mcus; ++m)
        for (int b = 0; b < (colour ? 6 : 1); ++b) {
            std::int16_t block[64] = {};
            block[0] = std::int16_t(int(rng() % 40) - 20);
            for (int i = 0; i < 4; ++i)
                block[rng() % 64] = std::int16_t(int(rng() % 21) - 10);
            EncodeBlock(bw, dc, ac, pred[b < 4 ? 0 : b - 3], block);
        }
    bw.Flush();
    std::vector<std::pair<int, int>> scan;
    for (const Frame& f : comps)
        scan.push_back({f.id, 0});
    return w.Sos(scan).Data(bw.bytes).Eoi().bytes;
}

bool RowIsWhite(const BYTE* block, const BITMAPINFOHEADER& h, int row)
{
    const BYTE* p = block + PictureStride(h.biWidth) * std::size_t(row);
    for (int i = 0; i < 3 * h.biWidth; ++i)
        if (p[i] != 0xFF)
            return false;
    return true;
}

} // namespace

TEST(Picture, RowsComeBottomUpInBlueGreenRed)
{
    Bytes s = RandomStream(800, 600, true, 1);
    Decoded d = DecodeAll(s);
    BITMAPINFOHEADER h = Header(800, 600);
    EXPECT_EQ(PictureStride(800), 2400u);
    EXPECT_EQ(h.biSizeImage, 1440000u);
    auto block = DecodePicture(h, s.data(), s.size());
    for (int k : {0, 1, 299, 599}) {
        const BYTE* row = block.get() + 2400 * std::size_t(k);
        const std::uint8_t* rgb = d.pixels.data() + 2400 * std::size_t(k); // k-th delivered row
        for (int x = 0; x < 800; ++x) {
            ASSERT_EQ(row[3 * x], rgb[3 * x + 2]) << k << "," << x;
            ASSERT_EQ(row[3 * x + 1], rgb[3 * x + 1]);
            ASSERT_EQ(row[3 * x + 2], rgb[3 * x]);
        }
    }
}

TEST(Picture, OnePixelWideAndGreyStreams)
{
    Bytes s = RandomStream(1, 5, true, 2);
    Decoded d = DecodeAll(s);
    BITMAPINFOHEADER h = Header(1, 5);
    EXPECT_EQ(PictureStride(1), 4u);
    EXPECT_EQ(PictureStride(801), 2404u);
    auto block = DecodePicture(h, s.data(), s.size());
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(block[4 * std::size_t(k)], d.pixels[3 * std::size_t(k) + 2]);
        EXPECT_EQ(block[4 * std::size_t(k) + 2], d.pixels[3 * std::size_t(k)]);
    }
    // A grey stream becomes three equal bytes per pixel.
    Bytes g = RandomStream(13, 7, false, 3);
    Decoded dg = DecodeAll(g);
    BITMAPINFOHEADER hg = Header(13, 7);
    auto grey = DecodePicture(hg, g.data(), g.size());
    for (int k = 0; k < 7; ++k)
        for (int x = 0; x < 13; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(grey[PictureStride(13) * std::size_t(k) + 3 * std::size_t(x) + std::size_t(c)],
                          dg.pixels[13 * std::size_t(k) + std::size_t(x)]);
}

TEST(Picture, DamagedStreamsLeaveWhiteRows)
{
    Bytes s = RandomStream(64, 96, true, 4);
    BITMAPINFOHEADER h = Header(64, 96);
    auto whole = DecodePicture(h, s.data(), s.size());
    // Truncated inside the entropy data: the first rows decode, the rest stay white.
    auto cut = DecodePicture(h, s.data(), s.size() / 2);
    EXPECT_EQ(0, std::memcmp(cut.get(), whole.get(), PictureStride(64) * 16));
    EXPECT_FALSE(RowIsWhite(cut.get(), h, 0));
    EXPECT_TRUE(RowIsWhite(cut.get(), h, 95));
    // Not a JPEG at all, or nothing: white, no failure.
    const BYTE junk[] = "this is not a picture";
    auto white = DecodePicture(h, junk, sizeof junk);
    for (int k = 0; k < 96; ++k)
        ASSERT_TRUE(RowIsWhite(white.get(), h, k));
    auto none = DecodePicture(h, nullptr, 0);
    EXPECT_TRUE(RowIsWhite(none.get(), h, 0));
}

TEST(Picture, HeaderAndStreamDisagree)
{
    Bytes s = RandomStream(16, 16, true, 5);
    Decoded d = DecodeAll(s);
    // Header wider and taller than the stream: rows beyond the stream stay
    // white, pixels beyond the decoder's row stay white.
    BITMAPINFOHEADER big = Header(40, 30);
    auto block = DecodePicture(big, s.data(), s.size());
    EXPECT_EQ(block[0], d.pixels[2]);
    for (int k = 16; k < 30; ++k)
        EXPECT_TRUE(RowIsWhite(block.get(), big, k));
    const BYTE* row0 = block.get();
    for (int x = 16; x < 40; ++x)
        EXPECT_EQ(row0[3 * x], 0xFF);
    // Header narrower and shorter: only what it describes is written.
    BITMAPINFOHEADER small = Header(5, 3);
    auto part = DecodePicture(small, s.data(), s.size());
    EXPECT_EQ(part[PictureStride(5) * 2 + 3 * 4 + 2], d.pixels[16 * 3 * 2 + 3 * 4]);
    // A block smaller than the header claims: rows that do not fit are skipped.
    BITMAPINFOHEADER shortBlock = Header(16, 16);
    shortBlock.biSizeImage = DWORD(PictureStride(16) * 4 + 10);
    auto four = DecodePicture(shortBlock, s.data(), s.size());
    EXPECT_EQ(four[PictureStride(16) * 4], 0xFF);
    // A grey stream under a colour header of another width.
    Bytes g = RandomStream(8, 8, false, 6);
    BITMAPINFOHEADER wide = Header(20, 8);
    auto grey = DecodePicture(wide, g.data(), g.size());
    EXPECT_EQ(grey[3 * 19], 0xFF);
}

TEST(Picture, MemorySourceReadsInPieces)
{
    const BYTE data[5] = {1, 2, 3, 4, 5};
    CMemorySource src(data, 5);
    unsigned char out[4];
    EXPECT_EQ(src.Read(out, 3), 3);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(src.Read(out, 4), 2);
    EXPECT_EQ(out[1], 5);
    EXPECT_EQ(src.Read(out, 4), 0);
    EXPECT_EQ(src.m_nPosition, 5);
}
