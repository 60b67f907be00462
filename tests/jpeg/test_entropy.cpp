// Huffman entropy decoding: table forms, the bit reader against a literal
// 32-bit reference reader, block decoding rules, restart intervals, scan
// component order and truncated data.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "jpeg/scan.h"
#include "jpeg/tables.h"
#include "stream_builder.h"

using namespace jt;

namespace {

HuffCodes Codes(std::initializer_list<std::pair<int, int>> lengthSymbol)
{
    HuffCodes s;
    for (auto [l, sym] : lengthSymbol) {
        s.counts[l]++;
        s.values.push_back(std::uint8_t(sym));
    }
    return s;
}

Velt::HuffmanTable TableOf(const HuffCodes& codes)
{
    Velt::HuffmanTable t;
    int n = 0;
    for (int l = 1; l <= 16; ++l) {
        t.counts[l] = codes.counts[l];
        n += codes.counts[l];
    }
    for (int i = 0; i < n; ++i)
        t.values[i] = codes.values[std::size_t(i)];
    t.size = 17 + n;
    return t;
}

// The literal bit reader and decoder: 32-bit accumulator, fills to 25 bits,
// 8-bit lookahead then DECODE from length 9.
struct RefReader {
    const Bytes& data;
    std::size_t pos = 0;
    std::uint32_t acc = 0;
    int count = 0;

    void Fill()
    {
        while (count < 25) {
            if (pos >= data.size())
                throw Velt::Error();
            unsigned b = data[pos++];
            if (b == 0xFF) {
                if (pos >= data.size())
                    throw Velt::Error();
                unsigned next = data[pos++];
                if (next != 0) {
                    pos -= 2;
                    return;
                }
            }
            acc = (acc << 8) | b;
            count += 8;
        }
    }
    unsigned Bits(int n)
    {
        if (count < n) {
            Fill();
            if (count < n)
                throw Velt::Error();
        }
        count -= n;
        return (acc >> count) & ((1u << n) - 1);
    }
    int Decode(const Velt::HuffmanDecoder& h)
    {
        if (count < 8)
            Fill();
        int l;
        if (count >= 8) {
            int index = int(acc >> (count - 8)) & 0xFF;
            if (h.lookLength[index]) {
                count -= h.lookLength[index];
                return h.lookSymbol[index];
            }
            l = 9;
        } else {
            int index = int(acc << (8 - count)) & 0xFF;
            if (h.lookLength[index] && h.lookLength[index] <= count) {
                count -= h.lookLength[index];
                return h.lookSymbol[index];
            }
            l = count + 1;
        }
        std::int32_t code = std::int32_t(Bits(l));
        while (code > h.maxCode[l]) {
            code = code * 2 + std::int32_t(Bits(1));
            ++l;
        }
        if (l >= 17)
            throw Velt::Error();
        return h.values[(code - h.valueOffset[l]) & 0xFF];
    }
    int Extend(int s)
    {
        int v = int(Bits(s));
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }
    void Block(std::int16_t* cells, std::int16_t& pred, const Velt::HuffmanDecoder& dc,
               const Velt::HuffmanDecoder& ac)
    {
        int s = Decode(dc) & 15;
        if (s)
            pred = std::int16_t(pred + Extend(s));
        cells[0] = pred;
        for (int k = 1;;) {
            int rs = Decode(ac), r = rs >> 4;
            s = rs & 15;
            if (s) {
                k += r;
                cells[Velt::kZigzag[k]] = std::int16_t(Extend(s));
                if (k >= 63)
                    return;
                ++k;
            } else if (rs == 0xF0 && k < 48) {
                k += 16;
            } else {
                return;
            }
        }
    }
};

// A valid table of up to maxSymbols random symbols with no code shorter
// than minLength bits.
HuffCodes RandomCodes(std::mt19937& rng, int maxSymbols, int minLength = 1)
{
    HuffCodes s;
    std::vector<int> symbols(256);
    for (int i = 0; i < 256; ++i)
        symbols[std::size_t(i)] = i;
    std::shuffle(symbols.begin(), symbols.end(), rng);
    int available = 2, used = 0;
    for (int l = 1; l <= 16; ++l) {
        int most = std::min(available, maxSymbols - used);
        int n = most > 0 ? int(rng() % unsigned(most + 1)) : 0;
        if (l >= 8 && rng() % 2)
            n = most; // fill up so that long codes appear
        if (l < minLength)
            n = 0;
        s.counts[l] = n;
        for (int i = 0; i < n; ++i)
            s.values.push_back(std::uint8_t(symbols[std::size_t(used + i)]));
        used += n;
        available = (available - n) * 2;
        if (available > 4096)
            available = 4096;
    }
    return s;
}

// Bytes for one scan's worth of entropy data: a grey frame of `blocks` blocks.
Bytes GreyFrame(int width, int height, const Bytes& data, int restart = 0)
{
    Writer w = Writer::Standard(width, height, {{1, 1, 1, 0}}, 2);
    if (restart)
        w.Dri(restart);
    return w.Sos({{1, 0}}).Data(data).Eoi().bytes;
}

std::vector<std::array<std::int16_t, 64>> RandomBlocks(std::mt19937& rng, int n)
{
    std::vector<std::array<std::int16_t, 64>> blocks(static_cast<std::size_t>(n));
    for (auto& b : blocks) {
        b.fill(0);
        b[0] = std::int16_t(int(rng() % 200) - 100);
        int ac = int(rng() % 12);
        for (int i = 0; i < ac; ++i)
            b[rng() % 64] = std::int16_t(int(rng() % 61) - 30);
    }
    return blocks;
}

// Entropy data for blocks with an optional restart interval (in blocks).
Bytes EncodeBlocks(const std::vector<std::array<std::int16_t, 64>>& blocks, int restart, int wrongAt = -1,
                   bool fillBytes = false, bool junk = false)
{
    BitWriter bw;
    HuffEncoder dc(SimpleDc()), ac(SimpleAc());
    int pred = 0, rst = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (restart && i > 0 && i % std::size_t(restart) == 0) {
            bw.Flush();
            if (fillBytes)
                bw.bytes.insert(bw.bytes.end(), {0xFF, 0xFF});
            if (junk) // whole bytes nobody decodes: returned to the source, skipped by the marker search
                bw.bytes.insert(bw.bytes.end(), {0x12, 0x00, 0x34, 0x56, 0x78, 0x9A, 0xBC});
            bw.Marker(0xD0 + (int(i / std::size_t(restart)) - 1 == wrongAt ? (rst + 1) & 7 : rst));
            rst = (rst + 1) & 7;
            pred = 0;
        }
        EncodeBlock(bw, dc, ac, pred, blocks[i].data());
    }
    bw.Flush();
    return bw.bytes;
}

} // namespace

TEST(VeltHuffman, DecodingFormOfASmallTable)
{
    Velt::HuffmanDecoder h(TableOf(Codes({{1, 0xA}, {2, 0xB}, {16, 0xC}})));
    EXPECT_EQ(h.maxCode[1], 0);
    EXPECT_EQ(h.maxCode[2], 2);
    EXPECT_EQ(h.maxCode[3], -1);
    EXPECT_EQ(h.maxCode[16], 3 << 14);
    EXPECT_EQ(h.maxCode[17], 0x7FFFFFFF);
    EXPECT_EQ(h.values[h.maxCode[16] - h.valueOffset[16]], 0xC);
    EXPECT_EQ(h.lookLength[0], 1);
    EXPECT_EQ(h.lookSymbol[127], 0xA);
    EXPECT_EQ(h.lookLength[128], 2);
    EXPECT_EQ(h.lookSymbol[191], 0xB);
    EXPECT_EQ(h.lookLength[192], 0);

    // "0", "10", the 16-bit code, then a pattern that matches nothing.
    BitWriter bw;
    bw.Put(0, 1);
    bw.Put(2, 2);
    bw.Put(3 << 14, 16);
    bw.Put(0xFFFF, 16);
    bw.Put(0xFFFF, 16);
    VectorSource src(bw.bytes);
    Velt::BitReader bits(&src);
    bits.detached = 1;
    EXPECT_EQ(bits.DecodeSymbol(h), 0xA);
    EXPECT_EQ(bits.DecodeSymbol(h), 0xB);
    EXPECT_EQ(bits.DecodeSymbol(h), 0xC);
    EXPECT_THROW(bits.DecodeSymbol(h), Velt::Error);
}

TEST(VeltHuffman, OverfullTableStaysInBounds)
{
    // Three 1-bit "codes": the third cannot exist; decoding stays defined.
    Velt::HuffmanDecoder h(TableOf(Codes({{1, 1}, {1, 2}, {1, 3}, {2, 4}})));
    EXPECT_EQ(h.lookSymbol[0], 1);
    EXPECT_EQ(h.lookSymbol[255], 2);
}

TEST(VeltBitReader, MatchesLiteralReaderOnRandomTablesAndData)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        // Every fourth round only long AC codes: the paths beyond the fast table.
        Velt::HuffmanDecoder dc(TableOf(RandomCodes(rng, 16)));
        Velt::HuffmanDecoder ac(TableOf(RandomCodes(rng, 255, round % 4 == 3 ? 9 + int(rng() % 7) : 1)));
        Bytes data(std::size_t(64 + rng() % 600));
        for (auto& b : data) {
            b = std::uint8_t(rng());
            if (rng() % 16 == 0)
                b = 0xFF;
        }
        if (rng() % 2)
            data.insert(data.end(), {0xFF, 0xD9});
        RefReader ref{data};
        VectorSource src(data, 1 + int(rng() % 300));
        Velt::BitReader bits(&src);
        bits.detached = 1;
        std::int16_t refPred = 0, pred = 0;
        for (int block = 0; block < 400; ++block) {
            std::int16_t a[64] = {}, b[64] = {};
            bool refThrew = false, threw = false;
            try {
                ref.Block(a, refPred, dc, ac);
            } catch (const Velt::Error&) {
                refThrew = true;
            }
            try {
                Velt::DecodeBlock(b, bits, pred, dc, ac);
            } catch (const Velt::Error&) {
                threw = true;
            }
            ASSERT_EQ(refThrew, threw) << "round " << round << " block " << block;
            if (threw)
                break;
            ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "round " << round << " block " << block;
            ASSERT_EQ(refPred, pred);
            // Read-ahead aside, the reader holds what the literal one holds.
            ASSERT_EQ(bits.count - bits.lag, ref.count) << "round " << round << " block " << block;
        }
    }
}

TEST(VeltBitReader, CodedBlocksWithLongCodesMatchTheLiteralReader)
{
    // Real block data under AC tables whose codes run from 3 to 16 bits, whole
    // or cut short, through sources that hand out few or many bytes at a time.
    const int counts[17] = {0, 0, 0, 2, 2, 3, 4, 6, 8, 10, 12, 14, 16, 20, 20, 20, 25};
    std::mt19937 rng(4321);
    for (int round = 0; round < 40; ++round) {
        HuffCodes deep;
        for (int r = 0; r < 16; ++r)
            for (int size = 1; size <= 10; ++size)
                deep.values.push_back(std::uint8_t(r << 4 | size));
        deep.values.push_back(0x00);
        deep.values.push_back(0xF0);
        std::shuffle(deep.values.begin(), deep.values.end(), rng);
        std::copy(std::begin(counts), std::end(counts), deep.counts);
        BitWriter bw;
        HuffEncoder dcEnc(SimpleDc()), acEnc(deep);
        int encPred = 0;
        for (const auto& block : RandomBlocks(rng, 300))
            EncodeBlock(bw, dcEnc, acEnc, encPred, block.data());
        bw.Flush();
        Bytes data = bw.bytes;
        if (round % 2)
            data.resize(std::size_t(rng() % data.size())); // cut short: no marker follows
        else
            data.insert(data.end(), {0xFF, 0xD9});
        Velt::HuffmanDecoder dc(TableOf(SimpleDc())), ac(TableOf(deep));
        RefReader ref{data};
        VectorSource src(data, round % 4 < 2 ? 1000 : 1 + int(rng() % 40));
        Velt::BitReader bits(&src);
        bits.detached = 1;
        std::int16_t refPred = 0, pred = 0;
        for (int block = 0; block < 300; ++block) {
            std::int16_t a[64] = {}, b[64] = {};
            bool refThrew = false, threw = false;
            try {
                ref.Block(a, refPred, dc, ac);
            } catch (const Velt::Error&) {
                refThrew = true;
            }
            try {
                Velt::DecodeBlock(b, bits, pred, dc, ac);
            } catch (const Velt::Error&) {
                threw = true;
            }
            ASSERT_EQ(refThrew, threw) << "round " << round << " block " << block;
            if (threw)
                break;
            ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "round " << round << " block " << block;
            ASSERT_EQ(bits.count - bits.lag, ref.count) << "round " << round << " block " << block;
        }
    }
}

TEST(VeltBitReader, ReturnsWholeUnreadBytesStuffedOnesAsSingleFF)
{
    VectorSource src({0x12, 0xFF, 0x00, 0x34, 0x56, 0x78});
    Velt::BitReader bits(&src);
    bits.detached = 1;
    EXPECT_EQ(bits.GetBits(4), 0x1u);
    bits.ReturnBytes();
    EXPECT_EQ(bits.count, 0);
    EXPECT_EQ(src.ReadByte(), 0xFF);
    EXPECT_EQ(src.ReadByte(), 0x34);
    EXPECT_EQ(src.ReadByte(), 0x56);
    EXPECT_EQ(src.ReadByte(), 0x78);
}

TEST(VeltBitReader, StopsAtAMarkerAndLeavesItInTheSource)
{
    // Whole stream decoded: destroying the decoder leaves the source at EOI.
    std::mt19937 rng(5);
    auto blocks = RandomBlocks(rng, 4);
    Bytes s = GreyFrame(32, 8, EncodeBlocks(blocks, 0));
    s.push_back(0x42);
    for (int chunk : {1, 3, 1000}) {
        VectorSource src(s, chunk);
        Velt::Decoder* d = Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        for (int y = 0; y < 8; ++y)
            d->NextRow();
        Velt::DestroyDecoder(d);
        EXPECT_EQ(src.ReadByte(), 0xFF) << chunk;
        EXPECT_EQ(src.ReadByte(), 0xD9) << chunk;
        EXPECT_EQ(src.ReadByte(), 0x42) << chunk;
    }
}

TEST(VeltBlock, CoefficientRules)
{
    HuffEncoder dcEnc(SimpleDc()), acEnc(SimpleAc());
    Velt::HuffmanDecoder dc(TableOf(SimpleDc())), ac(TableOf(SimpleAc()));
    BitWriter bw;
    // Block 1: DC +1 on a predictor of 32767 (wraps), EOB at once.
    dcEnc.Encode(bw, 1);
    bw.Put(1, 1);
    acEnc.Encode(bw, 0x00);
    // Block 2: value at k = 15, ZRL to 32, ZRL to 48, ZRL at 48 ends the block.
    dcEnc.Encode(bw, 0);
    acEnc.Encode(bw, 0xE1);
    bw.Put(1, 1);
    acEnc.Encode(bw, 0xF0);
    acEnc.Encode(bw, 0xF0);
    acEnc.Encode(bw, 0xF0);
    // Block 3: a run that carries k past 63 lands on coefficient 0.
    dcEnc.Encode(bw, 0);
    for (int rs : {0xF1, 0xF1, 0xF1, 0xC1})
        acEnc.Encode(bw, rs), bw.Put(1, 1);
    acEnc.Encode(bw, 0xF2);
    bw.Put(0, 2); // -3
    // Block 4: the last coefficient ends the block without EOB.
    dcEnc.Encode(bw, 0);
    acEnc.Encode(bw, 0x01);
    bw.Put(0, 1); // -1 at k = 1
    for (int rs : {0xF0, 0xF0, 0xF0})
        acEnc.Encode(bw, rs);
    acEnc.Encode(bw, 0xC1); // k = 50 + 12 = 62
    bw.Put(1, 1);
    acEnc.Encode(bw, 0x01); // k = 63
    bw.Put(1, 1);
    dcEnc.Encode(bw, 0);
    acEnc.Encode(bw, 0x00);
    bw.Marker(0xD9);

    VectorSource src(bw.bytes);
    Velt::BitReader bits(&src);
    bits.detached = 1;
    std::int16_t pred = 32767;
    std::int16_t b[64] = {};
    Velt::DecodeBlock(b, bits, pred, dc, ac);
    EXPECT_EQ(b[0], -32768);
    for (int i = 1; i < 64; ++i)
        EXPECT_EQ(b[i], 0);

    std::int16_t b2[64] = {};
    pred = 0;
    Velt::DecodeBlock(b2, bits, pred, dc, ac);
    EXPECT_EQ(b2[Velt::kZigzag[15]], 1);

    std::int16_t b3[64] = {};
    Velt::DecodeBlock(b3, bits, pred, dc, ac);
    EXPECT_EQ(b3[0], -3);
    EXPECT_EQ(b3[Velt::kZigzag[61]], 1);

    std::int16_t b4[64] = {};
    Velt::DecodeBlock(b4, bits, pred, dc, ac);
    EXPECT_EQ(b4[Velt::kZigzag[1]], -1);
    EXPECT_EQ(b4[Velt::kZigzag[62]], 1);
    EXPECT_EQ(b4[63], 1);
    std::int16_t b5[64] = {};
    Velt::DecodeBlock(b5, bits, pred, dc, ac); // still in step
    EXPECT_EQ(b5[0], 0);
}

TEST(VeltRestart, IntervalsReproduceTheUninterruptedPicture)
{
    std::mt19937 rng(77);
    auto blocks = RandomBlocks(rng, 40); // 80 x 32 grey: 10 blocks per MCU row
    Decoded plain = DecodeAll(GreyFrame(80, 32, EncodeBlocks(blocks, 0)));
    for (int interval : {1, 3, 10, 11, 40}) {
        Decoded r = DecodeAll(GreyFrame(80, 32, EncodeBlocks(blocks, interval), interval));
        EXPECT_EQ(r.pixels, plain.pixels) << interval; // 39 markers at interval 1: RST7 -> RST0 wraps
    }
    Decoded fill = DecodeAll(GreyFrame(80, 32, EncodeBlocks(blocks, 2, -1, true), 2));
    EXPECT_EQ(fill.pixels, plain.pixels);
    for (int interval : {1, 4})
        EXPECT_EQ(DecodeAll(GreyFrame(80, 32, EncodeBlocks(blocks, interval, -1, false, true), interval)).pixels,
                  plain.pixels);
    // A later DRI replaces an earlier one.
    Writer w = Writer::Standard(80, 32, {{1, 1, 1, 0}}, 2);
    w.Dri(5).Dri(3);
    EXPECT_EQ(DecodeAll(w.Sos({{1, 0}}).Data(EncodeBlocks(blocks, 3)).Eoi().bytes).pixels, plain.pixels);
}

TEST(VeltRestart, WrongMarkerFailsAtItsRowKeepingEarlierRows)
{
    std::mt19937 rng(78);
    auto blocks = RandomBlocks(rng, 40);
    Decoded plain = DecodeAll(GreyFrame(80, 32, EncodeBlocks(blocks, 0)));
    Bytes s = GreyFrame(80, 32, EncodeBlocks(blocks, 5, 2), 5); // RST3 where RST2 is due: block 15, row 1
    VectorSource src(s);
    Velt::Decoder* d = Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(0, std::memcmp(d->NextRow(), plain.pixels.data() + 80 * y, 80)) << y;
    EXPECT_THROW(d->NextRow(), Velt::Error);
    Velt::DestroyDecoder(d);
}

TEST(VeltScan, TruncatedDataKeepsTheRowsBeforeTheDamage)
{
    std::mt19937 rng(9);
    auto blocks = RandomBlocks(rng, 32); // 16 x 128: 16 MCU rows of 2 blocks
    Bytes data = EncodeBlocks(blocks, 0);
    Decoded plain = DecodeAll(GreyFrame(16, 128, data));
    data.resize(data.size() / 2);
    for (bool eoi : {true, false}) {
        Writer w = Writer::Standard(16, 128, {{1, 1, 1, 0}}, 2);
        w.Sos({{1, 0}}).Data(data);
        if (eoi)
            w.Eoi();
        VectorSource src(w.bytes);
        Velt::Decoder* d = Velt::CreateDecoder(&src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        int y = 0;
        try {
            for (; y < 128; ++y)
                ASSERT_EQ(0, std::memcmp(d->NextRow(), plain.pixels.data() + 16 * y, 16)) << y;
        } catch (const Velt::Error&) {
        }
        EXPECT_GE(y, 40);
        EXPECT_LT(y, 128);
        Velt::DestroyDecoder(d);
    }
}

TEST(VeltScan, ComponentOrderInTheScanDoesNotMoveBlocks)
{
    // 32 x 16, Y 2x1, Cb and Cr 1x1, restart every MCU. The same coefficients
    // coded in scan order Y Cb Cr and Cr Y Cb decode alike.
    std::mt19937 rng(10);
    auto y = RandomBlocks(rng, 8), cb = RandomBlocks(rng, 4), cr = RandomBlocks(rng, 4);
    const std::vector<Frame> comps = {{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};
    auto stream = [&](const std::vector<int>& order) {
        BitWriter bw;
        HuffEncoder dc(SimpleDc()), ac(SimpleAc());
        for (int m = 0; m < 4; ++m) {
            if (m)
                bw.Marker(0xD0 + (m - 1));
            int pred[3] = {};
            for (int c : order) {
                if (c == 0)
                    for (int b = 0; b < 2; ++b)
                        EncodeBlock(bw, dc, ac, pred[0], y[std::size_t(2 * m + b)].data());
                else
                    EncodeBlock(bw, dc, ac, pred[c], (c == 1 ? cb : cr)[std::size_t(m)].data());
            }
        }
        bw.Flush();
        Writer w = Writer::Standard(32, 16, comps, 4);
        w.Dri(1);
        std::vector<std::pair<int, int>> scan;
        for (int c : order)
            scan.push_back({c + 1, 0});
        return w.Sos(scan).Data(bw.bytes).Eoi().bytes;
    };
    Decoded a = DecodeAll(stream({0, 1, 2}));
    Decoded b = DecodeAll(stream({2, 0, 1}));
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.pixels.size(), 32u * 16u * 3u);
}
