// Dequantisation, the AAN inverse DCT (every kernel version against a
// literal reference), colour tables, the line kernels (every version against
// the tables and the plain version), upsampling maps and the row builders
// against their per-pixel map versions.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "jpeg/colour.h"
#include "jpeg/idct.h"
#include "jpeg/kernels.h"
#include "jpeg/tables.h"

namespace {

// The transform written out literally, 64-bit intermediates wrapped to 32.
std::int32_t W(std::int64_t v) { return std::int32_t(std::uint32_t(std::uint64_t(v))); }
std::int32_t M(std::int32_t x, int c) { return W(std::int64_t(W(std::int64_t(x) + 128) >> 8) * c); }
std::int16_t P(std::int32_t x)
{
    std::int32_t v = (W(std::int64_t(x) + 32768) >> 16) + 128;
    return std::int16_t(std::min(255, std::max(0, v)));
}

void ReferenceButterfly(const std::int32_t* d, std::int32_t* o)
{
    std::int32_t t10 = W(std::int64_t(d[0]) + d[4]), t11 = W(std::int64_t(d[0]) - d[4]);
    std::int32_t t13 = W(std::int64_t(d[2]) + d[6]);
    std::int32_t t12 = W(std::int64_t(M(W(std::int64_t(d[2]) - d[6]), 362)) - t13);
    std::int32_t e0 = W(std::int64_t(t10) + t13), e3 = W(std::int64_t(t10) - t13);
    std::int32_t e1 = W(std::int64_t(t11) + t12), e2 = W(std::int64_t(t11) - t12);
    std::int32_t z13 = W(std::int64_t(d[5]) + d[3]), z10 = W(std::int64_t(d[5]) - d[3]);
    std::int32_t z11 = W(std::int64_t(d[1]) + d[7]), z12 = W(std::int64_t(d[1]) - d[7]);
    std::int32_t o7 = W(std::int64_t(z11) + z13);
    std::int32_t z5 = M(W(std::int64_t(z10) - z12), 196);
    std::int32_t o6 = W(std::int64_t(M(z12, 277)) - z5 - o7);
    std::int32_t o5 = W(std::int64_t(M(W(std::int64_t(z11) - z13), 362)) - o6);
    std::int32_t o4 = W(std::int64_t(M(z10, 669)) - z5 - o5);
    o[0] = W(std::int64_t(e0) + o7);
    o[7] = W(std::int64_t(e0) - o7);
    o[1] = W(std::int64_t(e1) + o6);
    o[6] = W(std::int64_t(e1) - o6);
    o[2] = W(std::int64_t(e2) + o5);
    o[5] = W(std::int64_t(e2) - o5);
    o[3] = W(std::int64_t(e3) + o4);
    o[4] = W(std::int64_t(e3) - o4);
}

void ReferenceIdct(std::int16_t* c, const std::int32_t* dq)
{
    std::int32_t w[64];
    for (int r = 0; r < 8; ++r) {
        std::int32_t d[8];
        for (int k = 0; k < 8; ++k)
            d[k] = W(std::int64_t(c[8 * r + k]) * dq[8 * r + k]);
        ReferenceButterfly(d, w + 8 * r);
    }
    for (int j = 0; j < 8; ++j) {
        std::int32_t d[8], o[8];
        for (int k = 0; k < 8; ++k)
            d[k] = w[8 * k + j];
        ReferenceButterfly(d, o);
        for (int k = 0; k < 8; ++k)
            c[8 * k + j] = P(o[k]);
    }
}

// Every kernel version this build and processor run, the plain one first.
std::vector<const Velt::Kernels*> Versions()
{
    std::vector<const Velt::Kernels*> list;
    for (Velt::Path p : {Velt::Path::Plain, Velt::Path::Sse2, Velt::Path::Avx2})
        if (const Velt::Kernels* k = Velt::KernelsFor(p))
            list.push_back(k);
    return list;
}

// One kernel's transform of `count` blocks `stride` cells apart, given in
// natural order with a natural-order table and handed over column by column
// (tables.h): the samples, with the coefficients checked to be cleared.
std::vector<std::int16_t> Transform(const Velt::Kernels& k, const std::vector<std::int16_t>& natural, int stride,
                                    const std::int32_t* naturalDq, int count)
{
    std::vector<std::int16_t> cells(natural.size()), samples(natural.size(), -1);
    std::int32_t dq[64];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            dq[8 * c + r] = naturalDq[8 * r + c];
            for (int b = 0; b < count; ++b)
                cells[std::size_t(stride * b + 8 * c + r)] = natural[std::size_t(stride * b + 8 * r + c)];
        }
    k.inverseDct(cells.data(), stride, dq, count, samples.data(), stride, 8);
    for (int b = 0; b < count; ++b)
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(cells[std::size_t(stride * b + i)], 0) << "path " << int(k.path);
    return samples;
}

std::vector<std::int32_t> FlatDq(int q)
{
    Velt::QuantTable t;
    for (auto& v : t.values)
        v = std::uint16_t(q);
    std::vector<std::int32_t> dq(64);
    Velt::BuildDequantTable(t, dq.data());
    return dq;
}

} // namespace

TEST(VeltIdct, DcOnlyBlocksAreFlat)
{
    auto dq = FlatDq(16);
    // A quantiser of 0 makes its coefficient contribute nothing.
    Velt::QuantTable t;
    t.values[0] = 16;
    std::int32_t zeroAc[64];
    Velt::BuildDequantTable(t, zeroAc);
    for (const Velt::Kernels* k : Versions()) {
        for (auto [dc, expected] : {std::pair{10, 148}, {-100, 0}, {0, 128}, {200, 255}}) {
            std::vector<std::int16_t> block(64);
            block[0] = std::int16_t(dc);
            for (auto v : Transform(*k, block, 64, dq.data(), 1))
                ASSERT_EQ(v, expected) << dc << " path " << int(k->path);
        }
        std::vector<std::int16_t> block(64);
        block[0] = 10;
        block[9] = 500;
        for (auto v : Transform(*k, block, 64, zeroAc, 1))
            ASSERT_EQ(v, 148) << int(k->path);
    }
}

TEST(VeltIdct, AanScaleTable)
{
    const std::int32_t firstRow[8] = {8192, 11363, 10703, 9633, 8192, 6436, 4433, 2260};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Velt::kAanScale[i], firstRow[i]);
        EXPECT_EQ(Velt::kAanScale[8 * i], firstRow[i]);
    }
    EXPECT_EQ(Velt::kAanScale[63], 624);
}

TEST(VeltIdct, EveryVersionMatchesTheReference)
{
    std::mt19937 rng(42);
    // Realistic ranges, sparse blocks, and wild values that overflow 32 bits.
    for (int round = 0; round < 3000; ++round) {
        Velt::QuantTable q;
        int mode = round % 3;
        for (auto& v : q.values)
            v = std::uint16_t(mode == 2 ? rng() & 0xFFFF : 1 + rng() % 64);
        std::int32_t dq[64];
        Velt::BuildDequantTable(q, dq);
        std::vector<std::int16_t> blocks(64 * 5);
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (mode == 0)
                blocks[i] = rng() % 4 ? 0 : std::int16_t(int(rng() % 64) - 32);
            else if (mode == 1)
                blocks[i] = std::int16_t(int(rng() % 256) - 128);
            else
                blocks[i] = std::int16_t(rng());
        }
        if (round % 7 == 0) // DC-only blocks and all-zero rows or columns
            for (std::size_t i = 0; i < blocks.size(); ++i)
                if (i % 64 != 0 && (round % 14 == 0 || (i % 64) / 8 > 3))
                    blocks[i] = 0;
        auto reference = blocks;
        for (int b = 0; b < 5; ++b)
            ReferenceIdct(reference.data() + 64 * b, dq);
        for (const Velt::Kernels* k : Versions())
            ASSERT_EQ(Transform(*k, blocks, 64, dq, 5), reference) << round << " path " << int(k->path);
        for (auto v : reference)
            ASSERT_TRUE(v >= 0 && v <= 255);
    }
}

TEST(VeltIdct, StrideWalksEveryMcu)
{
    auto dq = FlatDq(8);
    std::vector<std::int16_t> buffer(3 * 128, 0);
    buffer[0] = 16;
    buffer[128] = 32;
    buffer[256] = -16;
    buffer[64] = 7;
    for (const Velt::Kernels* k : Versions()) {
        // Sample blocks side by side in rows of 40: 16 apart, rows 40 apart.
        auto cells = buffer;
        std::vector<std::int16_t> samples(8 * 40, -1);
        k->inverseDct(cells.data(), 128, dq.data(), 3, samples.data(), 16, 40);
        EXPECT_EQ(samples[7 * 40 + 7], 144);
        EXPECT_EQ(samples[16 + 5], 160);
        EXPECT_EQ(samples[7 * 40 + 32 + 4], 112);
        EXPECT_EQ(samples[8], -1); // between the blocks: untouched
        EXPECT_EQ(samples[3 * 40 + 24 + 7], -1);
        EXPECT_EQ(cells[64], 7); // the other block position is untouched
        EXPECT_EQ(cells[128], 0);
    }
}

TEST(VeltColour, TablesReferenceValues)
{
    const Velt::ColourTables& t = Velt::kColour;
    EXPECT_EQ(t.red[0], -179);
    EXPECT_EQ(t.red[255], 178);
    EXPECT_EQ(t.blue[0], -227);
    EXPECT_EQ(t.blue[255], 225);
    EXPECT_EQ(t.green1[0], 366);
    EXPECT_EQ(t.green1[255], -363);
    EXPECT_EQ(t.green2[0], 178);
    EXPECT_EQ(t.green2[255], -173);
    EXPECT_EQ(t.green2[128], 2);
    for (int v : {t.red[128], t.blue[128], t.green1[128]})
        EXPECT_TRUE(v == 0 || v == 2);
}

TEST(VeltColour, LineConversionMatchesTablesForEverySample)
{
    // Every (Y, Cb, Cr) triple, 256 lines of 65536 pixels... in chunks per Y.
    for (const Velt::Kernels* k : Versions()) {
        auto Convert = [k](const std::int16_t* y, const std::int16_t* cb, const std::int16_t* cr, int n,
                           std::uint8_t* out) {
            const auto size = static_cast<std::size_t>(n);
            std::vector<std::int16_t> red(size), green(size), blue(size);
            k->chromaTerms(cb, cr, n, red.data(), green.data(), blue.data());
            k->applyTerms(y, red.data(), green.data(), blue.data(), n, out);
        };
        std::vector<std::int16_t> y(65536), cb(65536), cr(65536);
        std::vector<std::uint8_t> fast(3 * 65536 + 32), scalar(3 * 65536 + 32);
        for (int i = 0; i < 65536; ++i) {
            cb[std::size_t(i)] = std::int16_t(i & 0xFF);
            cr[std::size_t(i)] = std::int16_t(i >> 8);
        }
        for (int yy = 0; yy < 256; ++yy) {
            std::fill(y.begin(), y.end(), std::int16_t(yy));
            Convert(y.data(), cb.data(), cr.data(), 65536, fast.data());
            Velt::ConvertLineScalar(y.data(), cb.data(), cr.data(), 65536, scalar.data());
            ASSERT_EQ(0, std::memcmp(fast.data(), scalar.data(), 3 * 65536)) << yy << " path " << int(k->path);
        }
        std::int16_t a[8] = {255, 0, 128, 128, 128, 128, 128, 128}, b[8] = {128, 0, 128, 128, 128, 128, 128, 128},
                     r[8] = {255, 128, 128, 128, 128, 128, 128, 128};
        std::uint8_t out[24 + 32];
        Convert(a, b, r, 8, out);
        EXPECT_EQ(out[0], 255); // Y 255, Cr 255: red clamps
        EXPECT_EQ(out[5], 0);   // Y 0, Cb 0: blue clamps
        EXPECT_EQ(out[6], 128);
        EXPECT_EQ(out[7], 128);
        EXPECT_EQ(out[8], 128);
    }
}

TEST(VeltColour, LineKernelsMatchThePlainVersion)
{
    // Lengths with and without a remainder after whole vector groups.
    std::mt19937 rng(11);
    const Velt::Kernels& plain = *Velt::KernelsFor(Velt::Path::Plain);
    for (int count : {8, 16, 24, 32, 40, 56, 72, 104, 1000}) {
        const auto n = std::size_t(count);
        std::vector<std::int16_t> y(n), t0(n), t1(n), t2(n);
        for (auto* line : {&y, &t0, &t1, &t2})
            for (auto& v : *line)
                v = std::int16_t(int(rng() % 700) - 350);
        std::vector<std::uint8_t> want(3 * n + 32), got(3 * n + 32);
        std::vector<std::int16_t> doubledWant(2 * n), doubledGot(2 * n);
        for (const Velt::Kernels* k : Versions()) {
            for (auto apply : {&Velt::Kernels::applyTerms, &Velt::Kernels::applyHalfTerms}) {
                // Half terms: count / 2 of them, any values.
                (plain.*apply)(y.data(), t0.data(), t1.data(), t2.data(), count, want.data());
                (k->*apply)(y.data(), t0.data(), t1.data(), t2.data(), count, got.data());
                ASSERT_EQ(0, std::memcmp(want.data(), got.data(), 3 * n)) << count << " path " << int(k->path);
            }
            plain.interleaveLine(t0.data(), t1.data(), t2.data(), count, want.data());
            k->interleaveLine(t0.data(), t1.data(), t2.data(), count, got.data());
            ASSERT_EQ(0, std::memcmp(want.data(), got.data(), 3 * n)) << count << " path " << int(k->path);
            plain.doubleLine(y.data(), count, doubledWant.data());
            k->doubleLine(y.data(), count, doubledGot.data());
            ASSERT_EQ(doubledWant, doubledGot) << count << " path " << int(k->path);
        }
    }
}

TEST(VeltColour, UpsamplingMaps)
{
    Velt::IndexRows map;
    Velt::BuildMap(map, 2, 1, 3, 1, 24, 8, 16);
    const int cols23[6] = {0, 1, 1, 2, 3, 3};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(map[5][x], 5 * 16 + cols23[x]);
    Velt::IndexRows third;
    Velt::BuildMap(third, 1, 1, 3, 1, 24, 8, 8);
    const int cols13[6] = {0, 0, 0, 1, 1, 1};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(third[0][x], cols13[x]);
    // 4:2:0 chroma: a 2 x 2 square per sample; luma is the identity over its blocks.
    Velt::IndexRows chroma, luma;
    Velt::BuildMap(chroma, 1, 1, 2, 2, 16, 16, 40);
    Velt::BuildMap(luma, 2, 2, 2, 2, 16, 16, 80);
    EXPECT_EQ(chroma[15][15], 7 * 40 + 7);
    EXPECT_EQ(chroma[2][3], 40 + 1);
    EXPECT_EQ(luma[9][10], 9 * 80 + 10);
    EXPECT_THROW(luma.Allocate(1, 1), Velt::Error); // a second allocation
    Velt::IndexRows big;
    EXPECT_THROW(big.Allocate(33, 1), Velt::Error);
}

TEST(VeltColour, LineBuildersMatchPerPixelMapBuilders)
{
    struct Case {
        int h[3], v[3];
    };
    const Case cases[] = {
        {{1, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {2, 1, 1}}, {{1, 1, 1}, {2, 1, 1}},
        {{3, 2, 1}, {1, 2, 3}}, {{4, 1, 1}, {4, 1, 1}}, {{1, 2, 2}, {1, 2, 2}}, {{4, 2, 1}, {1, 1, 1}},
    };
    std::mt19937 rng(3);
    for (const Case& k : cases) {
        int hmax = std::max({k.h[0], k.h[1], k.h[2]}), vmax = std::max({k.v[0], k.v[1], k.v[2]});
        const int mcus = 7, mcuW = 8 * hmax, mcuH = 8 * vmax;
        std::vector<std::int16_t> planes[3];
        Velt::IndexRows maps[3];
        std::vector<std::int16_t> lines(Velt::kScratchLines * std::size_t(mcus * mcuW));
        Velt::RowContext c;
        c.mcusPerRow = mcus;
        c.mcuWidth = mcuW;
        c.mcuHeight = mcuH;
        c.hmax = hmax;
        c.lines = lines.data();
        for (int i = 0; i < 3; ++i) {
            c.h[i] = k.h[i];
            planes[i].resize(std::size_t(8 * k.v[i] * c.PlaneWidth(i)));
            for (auto& s : planes[i])
                s = std::int16_t(rng() % 256);
            c.planes[i] = planes[i].data();
            Velt::BuildMap(maps[i], k.h[i], k.v[i], hmax, vmax, mcuW, mcuH, c.PlaneWidth(i));
            c.maps[i] = &maps[i];
        }
        const std::size_t rowBytes = std::size_t(3 * mcus * mcuW);
        for (const Velt::Kernels* kernels : Versions())
            for (bool convert : {true, false}) {
                c.kernels = kernels;
                Velt::ByteRows fast, slow;
                fast.Allocate(mcuH, rowBytes, Velt::kRowSlack);
                slow.Allocate(mcuH, rowBytes, Velt::kRowSlack);
                c.rows = &fast;
                (convert ? Velt::BuildRowsYCbCr : Velt::BuildRowsDirect)(c);
                c.rows = &slow;
                (convert ? Velt::BuildRowsYCbCrMapped : Velt::BuildRowsDirectMapped)(c);
                for (int y = 0; y < mcuH; ++y)
                    ASSERT_EQ(0, std::memcmp(fast[y], slow[y], rowBytes))
                        << k.h[0] << k.v[0] << " y " << y << " path " << int(kernels->path);
            }
    }
}

TEST(VeltColour, GreyBuilderCopiesPlaneRows)
{
    std::vector<std::int16_t> samples(64 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(i % 251);
    Velt::ByteRows rows;
    rows.Allocate(8, 24, Velt::kRowSlack);
    Velt::RowContext c;
    c.planes[0] = samples.data();
    c.h[0] = 1;
    c.mcusPerRow = 3;
    c.mcuWidth = c.mcuHeight = 8;
    c.rows = &rows;
    Velt::BuildRowsGrey(c);
    EXPECT_EQ(rows[2][17], samples[2 * 24 + 17]);
    EXPECT_EQ(rows[7][23], samples[7 * 24 + 23]);
}
