// The stored stream for each kind of input: a baseline 4:2:0 JPEG whose
// height allows it is flipped without re-encoding; everything else is
// decoded, turned upright, scaled (small pictures enlarged) and encoded
// bottom row first. Whatever
// the route, the stream is baseline JFIF 4:2:0 with one scan.
#include <gtest/gtest.h>

#include <turbojpeg.h>
#include <webp/encode.h>

#include <filesystem>

#include "../document/doc_fixture.h"
#include "jpeg_probe.h"
#include "pack_fixture.h"
#include "saver_info.h"

namespace fs = std::filesystem;
using namespace packtest;

namespace {

class PackPictures : public ::testing::Test {
protected:
    void SetUp() override { fs::copy_file(FakeSaver(), dir / "saver"); }

    // Packs `name` and returns the stored picture decoded top-down, after
    // checking the stream is the kind the saver decodes.
    RgbImage PackAndDecode(const std::string& name, std::vector<std::string> extra = {}, std::string* out = nullptr)
    {
        std::vector<std::string> args = {name, "-o", "out", "--saver", "saver"};
        args.insert(args.end(), extra.begin(), extra.end());
        const RunResult r = RunPack(dir.path(), args);
        EXPECT_EQ(r.status, 0) << r.err;
        if (out)
            *out = r.out;
        const SaverInfo info = ReadSaverInfo(dir / "out");
        const auto layout = ProbeJpeg(info.streamData.data(), info.streamData.size());
        EXPECT_TRUE(layout && IsSaverReady(*layout));
        EXPECT_EQ(layout->width, info.bih.biWidth);
        EXPECT_EQ(layout->height, info.bih.biHeight);
        return DecodeTopDown(info.streamData);
    }
    void WriteJpeg(const std::string& name, const std::vector<BYTE>& bytes) { testdoc::WriteFile(dir / name, bytes); }

    testdoc::ScratchDir dir;
};

TEST_F(PackPictures, BaselineFourTwoZeroIsFlippedLosslessly)
{
    const RgbImage source = Gradient(272, 48); // height a whole number of 16-row MCUs
    const std::vector<BYTE> jpeg = EncodeJpeg(source, TJSAMP_420);
    WriteJpeg("in.jpg", jpeg);
    std::string report;
    const RgbImage stored = PackAndDecode("in.jpg", {}, &report);
    EXPECT_NE(report.find("flipped losslessly"), std::string::npos) << report;
    // The same coefficients upside down decode to the input's pixels flipped.
    EXPECT_LT(MeanDiff(stored, FlipRows(DecodeTopDown(jpeg))), 0.5);
    EXPECT_LT(RowDiff(stored, 0, source, 47), 4.0);
}

TEST_F(PackPictures, CameraStyleJpegWithoutJfifIsFlippedLosslesslyAndGainsJfif)
{
    std::vector<BYTE> jpeg = EncodeJpeg(Gradient(256, 32), TJSAMP_420);
    ASSERT_EQ(jpeg[3], 0xE0); // drop the APP0 segment that follows SOI
    const std::size_t len = std::size_t(jpeg[4]) << 8 | jpeg[5];
    jpeg.erase(jpeg.begin() + 2, jpeg.begin() + 2 + 2 + std::ptrdiff_t(len));
    ASSERT_FALSE(ProbeJpeg(jpeg.data(), jpeg.size())->jfif);
    WriteJpeg("camera.jpg", jpeg);
    std::string report;
    const RgbImage stored = PackAndDecode("camera.jpg", {}, &report); // checks the stored stream is JFIF
    EXPECT_NE(report.find("flipped losslessly"), std::string::npos) << report;
    EXPECT_LT(MeanDiff(stored, FlipRows(DecodeTopDown(jpeg))), 0.5);
}

TEST_F(PackPictures, OtherJpegsAreReencodedUpsideDown)
{
    struct Case {
        const char* what;
        int width, height, subsamp, flags;
    };
    const Case cases[] = {
        {"height not a multiple of 16", 256, 50, TJSAMP_420, 0},
        {"progressive", 256, 48, TJSAMP_420, TJFLAG_PROGRESSIVE},
        {"4:4:4", 256, 48, TJSAMP_444, 0},
        {"4:2:2", 256, 48, TJSAMP_422, 0},
    };
    for (const Case& c : cases) {
        const RgbImage source = Gradient(c.width, c.height);
        WriteJpeg("in.jpg", EncodeJpeg(source, c.subsamp, c.flags));
        std::string report;
        const RgbImage stored = PackAndDecode("in.jpg", {}, &report);
        EXPECT_NE(report.find("quality 95"), std::string::npos) << c.what << ": " << report;
        ASSERT_EQ(stored.width, c.width) << c.what;
        ASSERT_EQ(stored.height, c.height) << c.what;
        EXPECT_LT(MeanDiff(stored, FlipRows(source)), 4.0) << c.what;
    }

    // A grey JPEG becomes a three-component stream with equal channels.
    WriteJpeg("grey.jpg", EncodeJpeg(Gradient(32, 32), TJSAMP_GRAY));
    const RgbImage grey = PackAndDecode("grey.jpg");
    EXPECT_NEAR(grey.Row(5)[30], grey.Row(5)[31], 3);
}

TEST_F(PackPictures, LargePicturesAreScaledToFit)
{
    WritePng(dir / "wide.png", Gradient(300, 100));
    RgbImage stored = PackAndDecode("wide.png", {"--max-side", "120"});
    EXPECT_EQ(stored.width, 120);
    EXPECT_EQ(stored.height, 40);
    // Still upside down after scaling: the top stored row is red (bottom).
    EXPECT_GT(stored.Row(0)[0], 230);
    EXPECT_LT(stored.Row(39)[0], 25);

    WritePng(dir / "tall.png", Gradient(100, 300));
    stored = PackAndDecode("tall.png", {"--max-side=150"});
    EXPECT_EQ(stored.width, 50);
    EXPECT_EQ(stored.height, 150);

    // JPEGs take the DCT-scaled route, and the default limit is 2048.
    WriteJpeg("big.jpg", EncodeJpeg(Gradient(4100, 512), TJSAMP_420));
    stored = PackAndDecode("big.jpg");
    EXPECT_EQ(stored.width, 2048);
    EXPECT_EQ(stored.height, 256);
    EXPECT_GT(stored.Row(0)[0], 220);

    // Small pictures are enlarged so the board can cut visible pieces.
    WritePng(dir / "tiny.png", Gradient(2, 2));
    stored = PackAndDecode("tiny.png");
    EXPECT_EQ(stored.width, 256);
    EXPECT_EQ(stored.height, 256);
}

TEST_F(PackPictures, ExifOrientationIsApplied)
{
    // A 256 x 192 picture tagged "turn a quarter clockwise to view".
    const RgbImage source = Gradient(256, 192);
    std::vector<BYTE> jpeg = EncodeJpeg(source, TJSAMP_420);
    const BYTE app1[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                         1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 6,   0,   0,  0, 0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 2, std::begin(app1), std::end(app1));
    WriteJpeg("turned.jpg", jpeg);
    const RgbImage stored = PackAndDecode("turned.jpg");
    ASSERT_EQ(stored.width, 192);
    ASSERT_EQ(stored.height, 256);
    // Viewed upright the stored rows run bottom first; the source's bottom
    // row (red 255) becomes the left column of the upright picture.
    const RgbImage upright = FlipRows(stored);
    EXPECT_GT(upright.Row(128)[0], 230);
    EXPECT_LT(upright.Row(128)[191 * 3], 25);
    // The source's left column (green 0) becomes the top row.
    EXPECT_LT(upright.Row(0)[96 * 3 + 1], 25);
    EXPECT_GT(upright.Row(255)[96 * 3 + 1], 230);
}

TEST_F(PackPictures, WebpIsTakenLikeThePngs)
{
    const RgbImage source = Gradient(256, 48);
    std::uint8_t* webp = nullptr;
    const std::size_t size = WebPEncodeLosslessRGB(source.rgb.data(), 256, 48, 256 * 3, &webp);
    ASSERT_GT(size, 0u);
    testdoc::WriteFile(dir / "in.webp", std::vector<BYTE>(webp, webp + size));
    WebPFree(webp);
    std::string report;
    const RgbImage stored = PackAndDecode("in.webp", {}, &report);
    EXPECT_NE(report.find("quality 95"), std::string::npos) << report;
    ASSERT_EQ(stored.width, 256);
    ASSERT_EQ(stored.height, 48);
    EXPECT_LT(MeanDiff(stored, FlipRows(source)), 4.0);
}

TEST_F(PackPictures, TransparencyIsLaidOverWhite)
{
    WritePng(dir / "alpha.png", Gradient(256, 256), true);
    const RgbImage stored = PackAndDecode("alpha.png");
    const unsigned char* right = stored.Row(128) + 224 * 3;
    EXPECT_GT(right[0], 245);
    EXPECT_GT(right[1], 245);
    EXPECT_GT(right[2], 245);
}

} // namespace
