// Decoder frame: the byte source, marker search, header segments, colour
// model decisions, geometry and row delivery limits.
#include <gtest/gtest.h>

#include "stream_builder.h"

using namespace jt;

namespace {

const std::vector<Frame> kGrey = {{1, 1, 1, 0}};
const std::vector<Frame> kYcc = {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};

// One flat 8x8 grey block: DC only.
Bytes FlatBlockData(int dc, int blocks = 1)
{
    BitWriter bw;
    HuffEncoder dcEnc(SimpleDc()), acEnc(SimpleAc());
    int pred = 0;
    std::int16_t block[64] = {};
    block[0] = std::int16_t(dc);
    for (int i = 0; i < blocks; ++i)
        EncodeBlock(bw, dcEnc, acEnc, pred, block);
    bw.Flush();
    return bw.bytes;
}

Bytes GreyStream(Writer w, int dc = 0)
{
    return w.Sos({{1, 0x00}}).Data(FlatBlockData(dc)).Eoi().bytes;
}

Writer Prefix3(std::vector<Frame> comps, bool jfif, int adobe)
{
    Writer w;
    w.Soi();
    if (jfif)
        w.Jfif();
    if (adobe >= 0)
        w.Adobe(adobe);
    w.Dqt(0, 8).Sof(0xC0, 8, 8, comps).Dht(0x00, SimpleDc()).Dht(0x10, SimpleAc());
    return w;
}

} // namespace

TEST(VeltSource, FirstFillUsesWholeBufferLaterOnesLeavePutBackRoom)
{
    Bytes data(3000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i * 7);
    VectorSource s(data);
    EXPECT_THROW(s.PutBack(1), Velt::Error); // nothing read yet: no room
    EXPECT_EQ(s.ReadByte(), data[0]);
    EXPECT_EQ(s.lastMax, 1024);
    for (int i = 1; i < 1024; ++i)
        s.ReadByte();
    EXPECT_EQ(s.ReadByte(), data[1024]);
    EXPECT_EQ(s.lastMax, 1020);
    EXPECT_EQ(s.readPos, s.buffer + 5);
    for (int i = 0; i < 5; ++i)
        s.PutBack(std::uint8_t(0xA0 + i));
    EXPECT_THROW(s.PutBack(0), Velt::Error);
    EXPECT_EQ(s.ReadByte(), 0xA4);
    EXPECT_EQ(s.ReadWord(), 0xA3A2u);
}

TEST(VeltSource, RunningDryThrows)
{
    VectorSource s({0x01});
    s.ReadByte();
    EXPECT_THROW(s.ReadByte(), Velt::Error);
}

TEST(VeltSource, NextMarkerSkipsGarbageFillAndStuffedBytes)
{
    VectorSource s({0x12, 0x00, 0xFF, 0x00, 0x34, 0xFF, 0xFF, 0xFF, 0xC4, 0x55});
    EXPECT_EQ(s.NextMarker(), 0xC4);
    EXPECT_EQ(s.ReadByte(), 0x55);
}

TEST(VeltSource, SkipSegmentByLengthAcrossRefills)
{
    Bytes data = {0x08, 0x00}; // length 2048: skip 2046 bytes
    data.resize(2048, 0x11);
    data.push_back(0x99);
    VectorSource s(data, 100);
    s.SkipSegment();
    EXPECT_EQ(s.ReadByte(), 0x99);

    VectorSource empty({0x00, 0x02, 0x77});
    empty.SkipSegment();
    EXPECT_EQ(empty.ReadByte(), 0x77);

    VectorSource wraps({0x00, 0x01, 0x77}); // L - 2 wraps to 65535: runs dry
    EXPECT_THROW(wraps.SkipSegment(), Velt::Error);
}

TEST(VeltHeaders, StartOfImageIsRequiredFirst)
{
    Bytes good = GreyStream(Writer::Standard(8, 8, kGrey));
    EXPECT_FALSE(Refused(good));
    Bytes lead = good;
    lead.insert(lead.begin(), 0x00);
    EXPECT_TRUE(Refused(lead));
    Bytes fill = good;
    fill.insert(fill.begin(), 0xFF);
    EXPECT_TRUE(Refused(fill));
    EXPECT_TRUE(Refused({}));
}

TEST(VeltHeaders, SkippedSegmentsGarbageAndFillBytes)
{
    Writer w;
    w.Soi().Raw({0x00, 0x13, 0xFF, 0xFF}).Segment(0xFE, {'h', 'i'}).Segment(0xE1, Bytes(30, 0xFF));
    w.Segment(0xCC, {1, 2}).Segment(0xED, {}).Segment(0xEF, {0});
    w.Dqt(0, 1).Sof(0xC1, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    Decoded d = DecodeAll(GreyStream(w, 10));
    EXPECT_EQ(d.width, 8);
    EXPECT_EQ(d.pixels[0], 129); // (10 * 1 * 8192 + 32768) >> 16 = 1
}

TEST(VeltHeaders, UnsupportedMarkersAreRefused)
{
    for (int marker : {0xC2, 0xC3, 0xC5, 0xC9, 0xCA, 0xCB, 0xCD, 0xC8, 0xD0, 0xD7, 0xD8, 0xDC, 0xDE, 0xDF,
                       0xF0, 0xFD, 0x01, 0x02, 0xBF}) {
        Writer w;
        w.Soi().Raw({0xFF, marker}).Word(2);
        Bytes s = GreyStream(Writer(w).Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc()));
        EXPECT_TRUE(Refused(s)) << std::hex << marker;
    }
}

TEST(VeltHeaders, FrameHeaderChecks)
{
    auto with = [](std::vector<Frame> comps, int width, int height, int precision) {
        Writer w;
        w.Soi().Dqt(0, 1).Dqt(1, 1).Dqt(2, 1).Dqt(3, 1).Sof(0xC0, width, height, comps, precision);
        w.Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
        return w;
    };
    EXPECT_FALSE(Refused(GreyStream(with(kGrey, 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with(kGrey, 8, 8, 12))));
    EXPECT_TRUE(Refused(GreyStream(with(kGrey, 0, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with(kGrey, 8, 0, 8))));
    EXPECT_TRUE(Refused(GreyStream(with({}, 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with(std::vector<Frame>(9, {1, 1, 1, 0}), 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with({{1, 5, 1, 0}}, 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with({{1, 1, 0, 0}}, 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with({{1, 0, 1, 0}}, 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with({{1, 1, 1, 4}}, 8, 8, 8))));
    EXPECT_FALSE(Refused(GreyStream(with({{1, 4, 4, 3}}, 8, 8, 8)))); // forced to 1x1 in a grey frame
    // Two or four components parse but cannot be decoded.
    EXPECT_TRUE(Refused(GreyStream(with({{1, 1, 1, 0}, {2, 1, 1, 0}}, 8, 8, 8))));
    EXPECT_TRUE(Refused(GreyStream(with({{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}}, 8, 8, 8))));
    // Length field must match Nf; a second frame header fails.
    Writer bad;
    bad.Soi().Dqt(0, 1).Raw({0xFF, 0xC0}).Word(12).Raw({8, 0, 8, 0, 8, 1, 1, 0x11, 0, 0});
    EXPECT_TRUE(Refused(GreyStream(bad.Dht(0, SimpleDc()).Dht(0x10, SimpleAc()))));
    EXPECT_TRUE(Refused(GreyStream(with(kGrey, 8, 8, 8).Sof(0xC0, 8, 8, kGrey))));
}

TEST(VeltHeaders, StreamsThatEndBeforeTheScan)
{
    Writer w;
    w.Soi().Dqt(0, 1).Dht(0, SimpleDc()).Eoi();
    EXPECT_TRUE(Refused(w.bytes)); // EOI, no frame
    EXPECT_TRUE(Refused(Writer::Standard(8, 8, kGrey).Eoi().bytes)); // EOI where the scan should be
    Writer sosFirst;
    sosFirst.Soi().Dqt(0, 1).Sos({{1, 0}}).Sof(0xC0, 8, 8, kGrey);
    EXPECT_TRUE(Refused(sosFirst.bytes));
    EXPECT_TRUE(Refused(Writer::Standard(8, 8, kGrey).bytes)); // runs dry
}

TEST(VeltHeaders, JfifSegmentRules)
{
    auto units = [](int code) {
        Writer w;
        w.Soi().Jfif(1, code, 300, 200).Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
        Bytes s = GreyStream(w);
        VectorSource src(s);
        int du = -1;
        unsigned short xd = 0, yd = 0;
        Velt::DestroyDecoder(Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, &du, &xd, &yd));
        EXPECT_EQ(xd, 300);
        EXPECT_EQ(yd, 200);
        return du;
    };
    EXPECT_EQ(units(0), 1);
    EXPECT_EQ(units(1), 2);
    EXPECT_EQ(units(2), 3);
    EXPECT_EQ(units(3), 0);

    Writer v2;
    v2.Soi().Jfif(2).Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(v2)));
    Writer twice;
    twice.Soi().Jfif().Jfif().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(twice)));
    // Identifier in a segment under 16 bytes: skipped whole, even with major version 2.
    Writer shortOne;
    shortOne.Soi().Segment(0xE0, {'J', 'F', 'I', 'F', 0, 2, 1, 0, 0, 1, 0, 1, 0})
        .Jfif().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_FALSE(Refused(GreyStream(shortOne)));
    // Adobe twice fails; Adobe with another identifier is skipped.
    Writer adobe2;
    adobe2.Soi().Adobe(1).Adobe(1).Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(adobe2)));
    Writer other;
    other.Soi().Segment(0xEE, {'A', 'd', 'o', 'b', 'x', 0, 0, 0, 0, 0, 0, 0}).Adobe(1).Dqt(0, 1)
        .Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_FALSE(Refused(GreyStream(other)));
}

TEST(VeltHeaders, ColourModelDecision)
{
    // Flat components 100, 20, -30 at q 8: samples 228, 148, 98. Unconverted pixels
    // show them as they are; converted ones differ.
    const Bytes raw = {228, 148, 98};
    auto pixel = [](const Bytes& s) {
        Decoded d = DecodeAll(s);
        EXPECT_EQ(d.colour, 1);
        return Bytes(d.pixels.begin(), d.pixels.begin() + 3);
    };
    const std::vector<Frame> rgbIds = {{'R', 1, 1, 0}, {'G', 1, 1, 0}, {'B', 1, 1, 0}};
    auto stream = [&](std::vector<Frame> comps, bool jfif, int adobe) {
        Writer w = Prefix3(comps, jfif, adobe);
        BitWriter bw;
        HuffEncoder dcEnc(SimpleDc()), acEnc(SimpleAc());
        std::int16_t block[64] = {};
        for (int v : {100, 20, -30}) {
            int p = 0;
            block[0] = std::int16_t(v);
            EncodeBlock(bw, dcEnc, acEnc, p, block);
        }
        bw.Flush();
        return w.Sos({{comps[0].id, 0}, {comps[1].id, 0}, {comps[2].id, 0}}).Data(bw.bytes).Eoi().bytes;
    };
    EXPECT_NE(pixel(stream(kYcc, true, 0)), raw);   // JFIF wins over Adobe 0
    EXPECT_NE(pixel(stream(rgbIds, true, -1)), raw); // JFIF wins over R, G, B ids
    EXPECT_EQ(pixel(stream(kYcc, false, 0)), raw);  // Adobe transform 0: RGB
    EXPECT_NE(pixel(stream(kYcc, false, 1)), raw);
    EXPECT_NE(pixel(stream(rgbIds, false, 2)), raw);
    EXPECT_EQ(pixel(stream(rgbIds, false, -1)), raw);
    EXPECT_NE(pixel(stream(kYcc, false, -1)), raw);
    // YCbCr 228, 148, 98: R = 228 + Tr[98], G = 228 + (Tg1[98] + Tg2[148]) / 4, B = 228 + Tb[148].
    EXPECT_EQ(pixel(stream(kYcc, false, -1)), (Bytes{186, 243, 255}));
}

TEST(VeltHeaders, TableSegments)
{
    // Two DQT tables in one segment, the later one in the same slot wins;
    // 16-bit precision; q = 0 contributes nothing.
    Bytes dqt = {0x00};
    dqt.insert(dqt.end(), 64, 99);
    dqt.push_back(0x10);
    for (int i = 0; i < 64; ++i) {
        dqt.push_back(0x01);
        dqt.push_back(0x00); // 256
    }
    Writer w;
    w.Soi().Segment(0xDB, dqt).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_EQ(DecodeAll(GreyStream(w, 1)).pixels[0], 128 + 32); // 1 * 256 * 8192 >> 16

    Writer zero;
    zero.Soi().Dqt(0, 0).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_EQ(DecodeAll(GreyStream(zero, 50)).pixels[0], 128);

    Writer slot4;
    slot4.Soi().Dqt(4, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(slot4)));

    // DHT: class bit 4 only; 0x20 is DC slot 0; slot 4 fails; two tables in one segment.
    HuffCodes broken; // a DC table that cannot code category 0
    broken.counts[1] = 1;
    broken.values = {5};
    Writer dht;
    dht.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0x00, broken).Dht(0x30, SimpleAc()).Dht(0x20, SimpleDc());
    EXPECT_FALSE(Refused(GreyStream(dht)));
    EXPECT_NO_THROW(DecodeAll(GreyStream(dht)));
    Writer dht4;
    dht4.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0x04, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(dht4)));
    Bytes both = {0x00};
    HuffCodes dc = SimpleDc(), ac = SimpleAc();
    for (int l = 1; l <= 16; ++l)
        both.push_back(std::uint8_t(dc.counts[l]));
    both.insert(both.end(), dc.values.begin(), dc.values.end());
    both.push_back(0x10);
    for (int l = 1; l <= 16; ++l)
        both.push_back(std::uint8_t(ac.counts[l]));
    both.insert(both.end(), ac.values.begin(), ac.values.end());
    Writer one;
    one.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Segment(0xC4, both);
    EXPECT_NO_THROW(DecodeAll(GreyStream(one)));

    // 255 codes are accepted, 256 refused.
    HuffCodes many;
    many.counts[8] = 255;
    for (int i = 0; i < 255; ++i)
        many.values.push_back(std::uint8_t(i));
    Writer ok;
    ok.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0x11, many).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_FALSE(Refused(GreyStream(ok)));
    many.counts[9] = 1;
    many.values.push_back(0);
    Writer tooMany;
    tooMany.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0x11, many).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(tooMany)));

    Writer dri;
    dri.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, kGrey).Dht(0, SimpleDc()).Dht(0x10, SimpleAc()).Segment(0xDD, {0, 1, 0});
    EXPECT_TRUE(Refused(GreyStream(dri)));
}

TEST(VeltHeaders, ScanHeaderChecks)
{
    auto grey = [] { return Writer::Standard(8, 8, kGrey); };
    EXPECT_TRUE(Refused(grey().Sos({{2, 0}}).Data(FlatBlockData(0)).bytes));    // unknown id
    EXPECT_TRUE(Refused(grey().Sos({{1, 0x40}}).Data(FlatBlockData(0)).bytes)); // Td 4
    EXPECT_TRUE(Refused(grey().Sos({{1, 0x04}}).Data(FlatBlockData(0)).bytes)); // Ta 4
    EXPECT_TRUE(Refused(grey().Sos({{1, 0x11}}).Data(FlatBlockData(0)).bytes)); // no table 1
    EXPECT_TRUE(Refused(grey().Sos({}).Data(FlatBlockData(0)).bytes));          // Ns 0
    EXPECT_TRUE(Refused(grey().Sos({{1, 0}, {1, 0}}).Data(FlatBlockData(0)).bytes)); // Ns != Nf
    Writer badLength = grey();
    badLength.Raw({0xFF, 0xDA}).Word(9).Raw({1, 1, 0, 0, 63, 0, 0});
    EXPECT_TRUE(Refused(badLength.Data(FlatBlockData(0)).bytes));
    // Fewer scan components than frame components (a multi-scan stream).
    Writer three = Writer::Standard(8, 8, kYcc);
    EXPECT_TRUE(Refused(three.Sos({{1, 0}}).Data(FlatBlockData(0)).bytes));
    // Missing quantisation table for a component.
    Writer noQ;
    noQ.Soi().Dqt(0, 1).Sof(0xC0, 8, 8, {{1, 1, 1, 2}}).Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    EXPECT_TRUE(Refused(GreyStream(noQ)));
}

TEST(VeltHeaders, DuplicateComponentIdsLaterOneWins)
{
    // Frame ids 1, 1, 3: both scan references to id 1 go to component 1; component
    // 0 stays undecoded (128) and unconverted output shows it.
    Writer w;
    w.Soi().Adobe(0).Dqt(0, 8).Sof(0xC0, 8, 8, {{1, 1, 1, 0}, {1, 1, 1, 0}, {3, 1, 1, 0}});
    w.Dht(0, SimpleDc()).Dht(0x10, SimpleAc());
    BitWriter bw;
    HuffEncoder dcEnc(SimpleDc()), acEnc(SimpleAc());
    std::int16_t block[64] = {};
    for (int v : {10, 20, 30}) {
        int p = 0;
        block[0] = std::int16_t(v);
        EncodeBlock(bw, dcEnc, acEnc, p, block);
    }
    bw.Flush();
    Decoded d = DecodeAll(w.Sos({{1, 0}, {1, 0}, {3, 0}}).Data(bw.bytes).bytes);
    // Predictors follow scan positions: the second entry decodes 20 on top of 0.
    EXPECT_EQ(d.pixels[0], 128);
    EXPECT_EQ(d.pixels[1], 128 + 20);
    EXPECT_EQ(d.pixels[2], 128 + 30);
}

TEST(VeltGeometry, JigsawPictureLayoutAndRowLimit)
{
    const std::vector<Frame> comps = {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};
    Writer w;
    w.Soi().Jfif().Segment(0xFE, {'x'}).Dqt(0, 2).Dqt(1, 3).Sof(0xC0, 800, 600, comps);
    w.Dht(0x00, SimpleDc()).Dht(0x10, SimpleAc()).Dht(0x01, SimpleDc()).Dht(0x11, SimpleAc());
    BitWriter bw;
    HuffEncoder dcEnc(SimpleDc()), acEnc(SimpleAc());
    std::int16_t block[64] = {};
    int p[3] = {};
    for (int m = 0; m < 50 * 38; ++m)
        for (int b = 0; b < 6; ++b)
            EncodeBlock(bw, dcEnc, acEnc, p[b < 4 ? 0 : b - 3], block);
    bw.Flush();
    Bytes s = w.Sos({{1, 0x00}, {2, 0x11}, {3, 0x11}}).Data(bw.bytes).Eoi().bytes;
    VectorSource src(s);
    int width = 0, height = 0;
    unsigned char colour = 0;
    Velt::Decoder* d = Velt::CreateDecoder(&src, &width, &height, &colour, nullptr, nullptr, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(colour, 1);
    EXPECT_EQ(d->McuWidth(), 16);
    EXPECT_EQ(d->McuHeight(), 16);
    EXPECT_EQ(d->McusPerRow(), 50);
    EXPECT_EQ(d->PaddedWidth(), 800);
    EXPECT_EQ(d->BlocksPerMcu(), 6);
    EXPECT_EQ(d->RowBytes(), 2400u);
    std::size_t before = src.Consumed();
    for (int y = 0; y < 600; ++y)
        ASSERT_EQ(d->NextRow()[0], 128) << y;
    EXPECT_GT(src.Consumed(), before);
    EXPECT_THROW(d->NextRow(), Velt::Error);
    Velt::DestroyDecoder(d);
    Velt::DestroyDecoder(nullptr);
}

TEST(VeltGeometry, NoEntropyDataReadBeforeTheFirstRow)
{
    Bytes s = GreyStream(Writer::Standard(8, 8, kGrey), 5);
    VectorSource src(s, 1);
    Velt::Decoder* d = Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    // Only the headers have been read: the byte after the scan header is next.
    std::size_t headerEnd = s.size() - FlatBlockData(5).size() - 2;
    EXPECT_EQ(src.Consumed(), headerEnd);
    Velt::DestroyDecoder(d);
}

TEST(VeltGeometry, HugeHeaderNeedsOnlyOneMcuRowOfMemory)
{
    // 65535 x 65535 colour with 4x4 luma: creation allocates one MCU row only.
    Writer w = Writer::Standard(65535, 65535, {{1, 4, 4, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
    Bytes s = w.Sos({{1, 0}, {2, 0}, {3, 0}}).Data(FlatBlockData(0, 18)).bytes;
    VectorSource src(s);
    Velt::Decoder* d = Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->McusPerRow(), 2048);
    EXPECT_THROW(d->NextRow(), Velt::Error); // data runs out within the first MCU row
    Velt::DestroyDecoder(d);
}

TEST(VeltGeometry, GreyRowsArePaddedToWholeBlocks)
{
    Writer w = Writer::Standard(801, 3, kGrey);
    Bytes s = w.Sos({{1, 0}}).Data(FlatBlockData(0, 101)).Eoi().bytes;
    VectorSource src(s);
    Velt::Decoder* d = Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(d->RowBytes(), 808u);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(d->NextRow()[800], 128);
    Velt::DestroyDecoder(d);
}
