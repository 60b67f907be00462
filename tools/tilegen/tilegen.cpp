// tilegen: writes the background tile, a 117 x 117 8-bit palette bitmap of
// a dark felt: soft mottling, short fibres and a fine grain, in one muted
// colour ramp. Everything is integer arithmetic on a fixed seed and every
// feature wraps at the tile's edges, so the output is the same on every
// machine and the tile repeats without seams.
//
//   mosvik_tilegen OUT.bmp
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr int kSide = 117; // 3 x 3 x 13: lattice periods 3, 9, 13 and 39 divide it
constexpr std::uint32_t kSeed = 0x6D6F7376u;

std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

std::uint32_t Hash3(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    return Hash(a * 0x9E3779B1u ^ Hash(b * 0x85EBCA77u ^ Hash(c ^ kSeed)));
}

int Wrap(int v) { return ((v % kSide) + kSide) % kSide; }

// Periodic value noise: a lattice of `cells` x `cells` random values (0..255)
// over the tile, smoothly interpolated; the lattice wraps, so does the noise.
int ValueNoise(int x, int y, int cells, std::uint32_t layer)
{
    const int cell = kSide / cells;
    const int ix = x / cell, iy = y / cell;
    auto lattice = [&](int i, int j) { return int(Hash3(layer, std::uint32_t(i % cells), std::uint32_t(j % cells)) & 255); };
    // Smoothstep weights in 1/256 units.
    auto smooth = [&](int t) {
        const int f = t * 256 / cell;
        return f * f * (768 - 2 * f) / 65536;
    };
    const int sx = smooth(x % cell), sy = smooth(y % cell);
    const int top = lattice(ix, iy) * (256 - sx) + lattice(ix + 1, iy) * sx;
    const int bottom = lattice(ix, iy + 1) * (256 - sx) + lattice(ix + 1, iy + 1) * sx;
    return (top * (256 - sy) + bottom * sy) / 65536;
}

// Short fibres: random walks that lighten or darken the felt a little.
void AddFibres(std::vector<int>& v)
{
    constexpr int kFibres = 320;
    for (int f = 0; f < kFibres; ++f) {
        const std::uint32_t h = Hash3(7, std::uint32_t(f), 0);
        int x = int(h % kSide), y = int((h >> 8) % kSide);
        const int len = 6 + int((h >> 16) % 10);
        const int delta = (h >> 28) & 1 ? 11 : -10;
        int dir = int((h >> 24) & 7); // one of eight directions
        for (int s = 0; s < len; ++s) {
            int& p = v[std::size_t(Wrap(y)) * kSide + std::size_t(Wrap(x))];
            p += delta;
            static constexpr int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
            static constexpr int kDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
            x += kDx[dir];
            y += kDy[dir];
            const std::uint32_t turn = Hash3(8, std::uint32_t(f), std::uint32_t(s)) % 6;
            if (turn == 0)
                dir = (dir + 1) & 7;
            else if (turn == 1)
                dir = (dir + 7) & 7;
        }
    }
}

void Put16(std::vector<std::uint8_t>& b, unsigned v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mosvik_tilegen OUT.bmp\n");
        return 2;
    }
    // Intensity around 128: mottling at two scales, fibres, fine grain.
    std::vector<int> v(std::size_t(kSide) * kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int coarse = ValueNoise(x, y, 3, 1) - 128;
            const int medium = ValueNoise(x, y, 9, 2) - 128;
            const int fine = ValueNoise(x, y, 39, 3) - 128;
            const int grain = int(Hash3(4, std::uint32_t(x), std::uint32_t(y)) & 31) - 16;
            v[std::size_t(y) * kSide + std::size_t(x)] = 128 + coarse / 10 + medium / 9 + fine / 9 + grain / 2;
        }
    }
    AddFibres(v);

    // The palette: a muted dark slate green, index 0 darkest, 255 lightest.
    std::array<std::uint8_t, 256 * 4> palette{};
    constexpr int kDark[3] = {20, 34, 33}, kLight[3] = {78, 104, 96}; // red, green, blue
    for (int i = 0; i < 256; ++i) {
        palette[std::size_t(i) * 4 + 0] = std::uint8_t(kDark[2] + (kLight[2] - kDark[2]) * i / 255);
        palette[std::size_t(i) * 4 + 1] = std::uint8_t(kDark[1] + (kLight[1] - kDark[1]) * i / 255);
        palette[std::size_t(i) * 4 + 2] = std::uint8_t(kDark[0] + (kLight[0] - kDark[0]) * i / 255);
    }

    const std::uint32_t stride = (kSide + 3) / 4 * 4;
    const std::uint32_t imageBytes = stride * kSide;
    const std::uint32_t offBits = 14 + 40 + 256 * 4;
    std::vector<std::uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offBits + imageBytes);
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);     // biSize
    Put32(b, kSide);  // biWidth
    Put32(b, kSide);  // biHeight: bottom-up
    Put16(b, 1);      // biPlanes
    Put16(b, 8);      // biBitCount
    Put32(b, 0);      // BI_RGB
    Put32(b, imageBytes);
    Put32(b, 2835);   // 72 dpi
    Put32(b, 2835);
    Put32(b, 256);    // biClrUsed
    Put32(b, 0);
    b.insert(b.end(), palette.begin(), palette.end());
    for (int row = kSide - 1; row >= 0; --row) {
        for (int x = 0; x < kSide; ++x) {
            const int p = v[std::size_t(row) * kSide + std::size_t(x)];
            b.push_back(std::uint8_t(p < 0 ? 0 : p > 255 ? 255 : p));
        }
        for (std::uint32_t pad = kSide; pad < stride; ++pad)
            b.push_back(0);
    }

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(b.data(), 1, b.size(), f) != b.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "mosvik_tilegen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
