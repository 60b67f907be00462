// Golden checksums of decoded output: streams built here from fixed
// pseudo-random coefficients in every sampling layout, so that any change
// to the exact integer arithmetic (transform, upsampling, colour) shows,
// with every kernel version this processor runs.
#include <gtest/gtest.h>

#include <random>

#include "stream_builder.h"

using namespace jt;

namespace {

std::uint64_t Fnv1a(const Bytes& data)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : data) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

Bytes Stream(int width, int height, const std::vector<Frame>& comps, int restart, bool adobeRgb)
{
    std::mt19937 rng(std::uint32_t(width * 7919 + height));
    int hmax = 1, vmax = 1;
    for (const Frame& f : comps)
        hmax = std::max(hmax, f.h), vmax = std::max(vmax, f.v);
    if (comps.size() == 1)
        hmax = vmax = 1;
    const int mcus = ((width + 8 * hmax - 1) / (8 * hmax)) * ((height + 8 * vmax - 1) / (8 * vmax));
    Writer w;
    w.Soi();
    if (adobeRgb)
        w.Adobe(0);
    else
        w.Jfif();
    std::uint16_t q[64];
    for (int i = 0; i < 64; ++i)
        q[i] = std::uint16_t(2 + i / 3);
    w.Dqt(0, q).Dqt(1, 5).Sof(0xC0, width, height, comps).Dht(0x00, SimpleDc()).Dht(0x10, SimpleAc());
    if (restart)
        w.Dri(restart);
    BitWriter bw;
    HuffEncoder dc(SimpleDc()), ac(SimpleAc());
    std::vector<int> pred(comps.size());
    for (int m = 0; m < mcus; ++m) {
        if (restart && m && m % restart == 0) {
            bw.Marker(0xD0 + ((m / restart - 1) & 7));
            std::fill(pred.begin(), pred.end(), 0);
        }
        for (std::size_t c = 0; c < comps.size(); ++c) {
            int blocks = comps.size() == 1 ? 1 : comps[c].h * comps[c].v;
            for (int b = 0; b < blocks; ++b) {
                std::int16_t block[64] = {};
                block[0] = std::int16_t(int(rng() % 120) - 60);
                for (int i = 0; i < 10; ++i)
                    block[rng() % 64] = std::int16_t(int(rng() % 41) - 20);
                EncodeBlock(bw, dc, ac, pred[c], block);
            }
        }
    }
    bw.Flush();
    std::vector<std::pair<int, int>> scan;
    for (const Frame& f : comps)
        scan.push_back({f.id, 0});
    return w.Sos(scan).Data(bw.bytes).Eoi().bytes;
}

} // namespace

TEST(VeltGolden, DecodedOutputChecksums)
{
    struct Case {
        const char* name;
        int width, height;
        std::vector<Frame> comps;
        int restart;
        bool rgb;
        std::uint64_t expected;
    };
    const std::vector<Case> cases = {
        {"444", 61, 35, {{1, 1, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 0, false, 0x982611d997a24958ull},
        {"422", 61, 35, {{1, 2, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 3, false, 0xda778519002d20dcull},
        {"420", 61, 35, {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 0, false, 0x830cf497eae717d6ull},
        {"440", 61, 35, {{1, 1, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}}, 1, false, 0x6cea8357eeab220eull},
        {"grey", 61, 35, {{1, 1, 1, 0}}, 5, false, 0x2eff21330b8acd4eull},
        {"311", 50, 20, {{1, 3, 1, 0}, {2, 2, 1, 1}, {3, 1, 1, 1}}, 0, false, 0xcced427b9b1c851eull},
        {"rgb", 33, 17, {{'R', 1, 1, 0}, {'G', 2, 2, 1}, {'B', 1, 2, 1}}, 2, true, 0x59422bdb898a4f2cull},
    };
    for (const Case& c : cases) {
        const Bytes stream = Stream(c.width, c.height, c.comps, c.restart, c.rgb);
        for (Velt::Path path : AvailablePaths()) {
            std::uint64_t h = Fnv1a(DecodeAll(stream, &path).pixels);
            EXPECT_EQ(h, c.expected) << c.name << " path " << int(path) << ": 0x" << std::hex << h;
        }
    }
}
