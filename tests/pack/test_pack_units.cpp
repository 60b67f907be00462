// The pack tool's parts: option parsing and colours, size fitting, EXIF
// turning, resampling, the marker walk, where an executable ends and what
// is a saver program.
#include <gtest/gtest.h>

#include <turbojpeg.h>

#include "document/container.h"
#include "resources/resource.h"
#include "jpeg_probe.h"
#include "pack_error.h"
#include "pack_fixture.h"
#include "pack_options.h"
#include "resample.h"
#include "saver_file.h"
#include "stored_picture.h"

using namespace packtest;

namespace {

TEST(PackOptionsTest, ColoursAndValues)
{
    EXPECT_EQ(ParseColour("#FFFF00"), RGB(255, 255, 0));
    EXPECT_EQ(ParseColour("#a1B2c3"), RGB(0xA1, 0xB2, 0xC3));
    EXPECT_EQ(ParseColour("102030"), RGB(0x10, 0x20, 0x30));
    for (const char* bad : {"", "#", "#FFF", "#FFFF0G", "#FFFF000", "FFFF00 ", "red", "#-FFFF0"})
        EXPECT_THROW(ParseColour(bad), std::invalid_argument) << bad;

    PackOptions o = ParsePackOptions({"a.png", "-o", "x", "--message=hi=there", "--font", "Tahoma", "--bold"});
    EXPECT_EQ(o.action, PackOptions::Action::pack);
    EXPECT_EQ(o.picture->string(), "a.png");
    EXPECT_EQ(o.message.text, "hi=there");
    EXPECT_EQ(o.message.face, "Tahoma");
    EXPECT_TRUE(o.message.bold);
    EXPECT_FALSE(o.message.italic);
    EXPECT_EQ(o.maxSide, 2048);

    o = ParsePackOptions({"-o", "x", "--", "-odd.png"});
    EXPECT_EQ(o.picture->string(), "-odd.png");
    EXPECT_FALSE(ParsePackOptions({"-o", "x"}).picture);
    EXPECT_EQ(ParsePackOptions({"--info", "s"}).action, PackOptions::Action::info);

    EXPECT_THROW(ParsePackOptions({"a.png"}), PackError);
    EXPECT_THROW(ParsePackOptions({"a.png", "b.png", "-o", "x"}), PackError);
    EXPECT_THROW(ParsePackOptions({"--info", "s", "-o", "x"}), PackError);
    EXPECT_THROW(ParsePackOptions({"-o"}), PackError);
    EXPECT_THROW(ParsePackOptions({"-o", "x", "--bold=1"}), PackError);
    EXPECT_THROW(ParsePackOptions({"-o", "x", "--max-side", "12a"}), PackError);
}

TEST(PackGeometry, FitWithinKeepsTheAspect)
{
    EXPECT_EQ(FitWithin({800, 600}, 2048), (PictureSize{800, 600}));
    EXPECT_EQ(FitWithin({4000, 3000}, 2048), (PictureSize{2048, 1536}));
    EXPECT_EQ(FitWithin({3000, 4000}, 2048), (PictureSize{1536, 2048}));
    EXPECT_EQ(FitWithin({2100, 30}, 2048), (PictureSize{2048, 29}));
    EXPECT_EQ(FitWithin({10000, 1}, 100), (PictureSize{100, 1}));
    // Small pictures are enlarged to a longer side of 256, or of maxSide below that.
    EXPECT_EQ(TargetSize({2, 2}, 2048), (PictureSize{256, 256}));
    EXPECT_EQ(TargetSize({64, 48}, 2048), (PictureSize{256, 192}));
    EXPECT_EQ(TargetSize({30, 64}, 100), (PictureSize{47, 100}));
    EXPECT_EQ(TargetSize({4000, 3000}, 2048), (PictureSize{2048, 1536}));
}

TEST(PackGeometry, EveryExifOrientationTurnsUpright)
{
    // Stored 3 x 2 with distinct pixels; where does stored (0,0) land?
    RgbImage src(3, 2);
    for (int i = 0; i < 6; ++i)
        src.rgb[std::size_t(i) * 3] = BYTE(i + 1);
    struct Expect {
        int orientation, width, height, x, y;
    };
    const Expect cases[] = {{1, 3, 2, 0, 0}, {2, 3, 2, 2, 0}, {3, 3, 2, 2, 1}, {4, 3, 2, 0, 1},
                            {5, 2, 3, 0, 0}, {6, 2, 3, 1, 0}, {7, 2, 3, 1, 2}, {8, 2, 3, 0, 2}};
    for (const Expect& e : cases) {
        const RgbImage out = Orient(src, e.orientation);
        ASSERT_EQ(out.width, e.width) << e.orientation;
        ASSERT_EQ(out.height, e.height) << e.orientation;
        EXPECT_EQ(out.Row(e.y)[e.x * 3], 1) << e.orientation;
        EXPECT_EQ(OrientedSize({3, 2}, e.orientation), (PictureSize{e.width, e.height}));
    }
}

TEST(PackGeometry, ResampleKeepsFlatAreasAndEdges)
{
    RgbImage flat(90, 60);
    std::fill(flat.rgb.begin(), flat.rgb.end(), BYTE(77));
    for (const RgbImage& scaled : {Resample(flat, 31, 17), Resample(flat, 256, 171)})
        for (BYTE v : scaled.rgb)
            ASSERT_EQ(v, 77);

    RgbImage halves(100, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 50; x < 100; ++x)
            halves.Row(y)[x * 3] = 255;
    const RgbImage half = Resample(halves, 50, 5);
    EXPECT_LT(half.Row(2)[20 * 3], 3);
    EXPECT_GT(half.Row(2)[30 * 3], 252);
}

TEST(PackJpegProbe, ReadsLayoutAndRefusesDamage)
{
    const std::vector<BYTE> jpeg = EncodeJpeg(Gradient(40, 24), TJSAMP_420);
    auto layout = ProbeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->width, 40);
    EXPECT_EQ(layout->height, 24);
    EXPECT_TRUE(IsSaverReady(*layout));

    const std::vector<BYTE> progressive = EncodeJpeg(Gradient(40, 24), TJSAMP_420, TJFLAG_PROGRESSIVE);
    layout = ProbeJpeg(progressive.data(), progressive.size());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->frameMarker, 0xC2);
    EXPECT_GT(layout->scans, 1);
    EXPECT_FALSE(IsSaverReady(*layout));
    // Whole-frame coefficients: Y 6 x 4 blocks (whole 2 x 2 MCUs), Cb and Cr 3 x 2 each.
    EXPECT_TRUE(NeedsCoefficientBuffer(*layout));
    EXPECT_EQ(CoefficientBufferBytes(*layout), (24u + 6u + 6u) * 128u);
    EXPECT_FALSE(NeedsCoefficientBuffer(*ProbeJpeg(jpeg.data(), jpeg.size())));

    // Cut inside the entropy data: no EOI, not ready; cut inside a header: nothing.
    layout = ProbeJpeg(jpeg.data(), jpeg.size() - 10);
    ASSERT_TRUE(layout);
    EXPECT_FALSE(IsSaverReady(*layout));
    EXPECT_FALSE(ProbeJpeg(jpeg.data(), 30));
    EXPECT_FALSE(ProbeJpeg(jpeg.data() + 1, jpeg.size() - 1));

    // Big-endian EXIF, orientation 8.
    const BYTE exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                         0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ExifOrientation(exif, sizeof exif), 8);
    EXPECT_EQ(ExifOrientation(exif, 20), 1); // entry cut off
}

TEST(PackSaverFile, ExecutableEndsAtTheFirstMarkerAfterPositionZero)
{
    const std::string m = ContainerMarker();
    auto len = [](const std::string& s) { return ExecutableLength(std::vector<BYTE>(s.begin(), s.end())); };
    EXPECT_EQ(len("program"), 7u);
    EXPECT_EQ(len("program" + m + "?doc" + m + "?doc2"), 7u);
    EXPECT_EQ(len(m + "rest"), m.size() + 4); // position 0 is never a marker
    EXPECT_EQ(len(""), 0u);

    // A saver program: an ELF or PE image holding the signature before any document.
    const std::string sig = MOSVIK_SIGNATURE;
    std::string pe = "MZ" + std::string(0x3A, '\0') + std::string("\x40\0\0\0", 4) + std::string("PE\0\0", 4);
    auto saver = [](const std::string& s) { return IsSaverProgram(std::vector<BYTE>(s.begin(), s.end())); };
    EXPECT_TRUE(saver("\x7F" "ELF..." + sig));
    EXPECT_TRUE(saver(pe + sig));
    EXPECT_FALSE(saver("\x7F" "ELF..."));                   // another program
    EXPECT_FALSE(saver("text " + sig));                      // not a program
    EXPECT_FALSE(saver("MZ" + std::string(0x40, 'x') + sig)); // no PE header
    EXPECT_FALSE(saver("\x7F" "ELF..." + m + "?" + sig));    // only in the document
}

TEST(PackStoredPicture, HeaderDescribesTheDecodedPicture)
{
    const BITMAPINFOHEADER h = PictureHeader(801, 3);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 2404u * 3u);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(h.biClrUsed, 0u);
}

} // namespace
