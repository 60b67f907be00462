// The geometry of the transition effects: for an area W by H, the order and
// place of every rectangle an effect copies, handed to a callback as
// (x, y, width, height) before any clipping. The effects and the tests walk
// the same plans. The dissolve, whose order is random, is not here.
#pragma once

#include <algorithm>
#include <cstdint>

namespace transition_plan {
using i64 = std::int64_t;

inline i64 BlindsCopies(i64 W, i64 H, int v)
{
    const i64 D = v == 0 ? W : H;
    const i64 b = (D + 15) / 16;
    return (b + 7) / 8 * 16;
}

template <class Copy>
void Blinds(i64 W, i64 H, int v, Copy&& copy)
{
    const i64 D = v == 0 ? W : H;
    const i64 b = (D + 15) / 16; // band width
    const i64 g = (b + 7) / 8;   // passes
    for (i64 i = 0; i < g; ++i) {
        for (i64 j = 0; j < 16; ++j) {
            const i64 p = 8 * i + j * b;
            const i64 extent = std::min<i64>(8, D - p);
            if (v == 0)
                copy(p, 0, extent, H);
            else
                copy(0, p, W, extent);
        }
    }
}

inline i64 BlocksCopies(i64 W, i64 H) { return ((W + 63) / 64) * ((H + 63) / 64); }

template <class Copy>
void Blocks(i64 W, i64 H, int v, Copy&& copy)
{
    switch (v) {
    case 0:
        for (i64 y = 0; y < H; y += 64)
            for (i64 x = 0; x < W; x += 64)
                copy(x, y, 64, 64);
        break;
    case 1:
        for (i64 c = 0; c < W; c += 64)
            for (i64 y = 0; y < H; y += 64)
                copy(W - 64 - c, y, 64, 64);
        break;
    case 2:
        for (i64 x = 0; x < W; x += 64)
            for (i64 y = 0; y < H; y += 64)
                copy(x, y, 64, 64);
        break;
    default:
        for (i64 r = 0; r < (H + 63) / 64; ++r)
            for (i64 x = 0; x < W; x += 64)
                copy(x, H - 64 - 64 * r, 64, 64);
        break;
    }
}

inline i64 SplitCopies(i64 W, i64 H, int v)
{
    const i64 D = v < 2 ? W : H;
    const i64 half = (D + 1) / 2;
    return (half + 7) / 8 * 2;
}

template <class Copy>
void Split(i64 W, i64 H, int v, Copy&& copy)
{
    const i64 D = v < 2 ? W : H;
    const i64 half = (D + 1) / 2;
    const i64 n = (half + 7) / 8;
    for (i64 k = 0; k < n; ++k) {
        const i64 out = half + 8 * k;                          // centre outwards, far side
        const i64 in = std::max<i64>(0, half - 8 * (k + 1)); // centre outwards, near side
        switch (v) {
        case 0:
            copy(out, 0, std::min<i64>(8, D - out), H);
            copy(in, 0, 8, H);
            break;
        case 1:
            copy(W - 8 - 8 * k, 0, 8, H);
            copy(8 * k, 0, 8, H);
            break;
        case 2:
            copy(0, out, W, std::min<i64>(8, D - out));
            copy(0, in, W, 8);
            break;
        default:
            copy(0, 8 * k, W, std::min<i64>(8, H - 8 * k));
            copy(0, H - 8 - 8 * k, W, 8);
            break;
        }
    }
}

inline i64 WipeCopies(i64 W, i64 H, int v) { return v == 1 || v == 2 ? (W + 7) / 8 : (H + 7) / 8; }

template <class Copy>
void Wipe(i64 W, i64 H, int v, Copy&& copy)
{
    switch (v) {
    case 0:
        for (i64 y = 0; y < H; y += 8)
            copy(0, y, W, std::min<i64>(8, H - y));
        break;
    case 1:
        for (i64 x = W - 8;; x -= 8) {
            if (x <= 0) {
                copy(0, 0, 8, H);
                break;
            }
            copy(x, 0, 8, H);
        }
        break;
    case 2:
        for (i64 x = 0; x < W; x += 8)
            copy(x, 0, std::min<i64>(8, W - x), H);
        break;
    default:
        for (i64 y = H - 8;; y -= 8) {
            if (y <= 0) {
                copy(0, 0, W, 8);
                break;
            }
            copy(0, y, W, 8);
        }
        break;
    }
}

// Frame count: half the width rounded up, in 8-pixel side widths rounded
// up. For even widths this is (W / 2 + 7) / 8; rounding the half up as well
// gives widths 16m + 1 (and 1) the centre frame that covers their middle
// column, which the sides of the outer frames cannot reach.
inline i64 FrameCount(i64 W) { return ((W + 1) / 2 + 7) / 8; }
inline i64 FramesCopies(i64 W, i64 /*H*/) { return 4 * FrameCount(W); }

template <class Copy>
void Frames(i64 W, i64 H, int v, Copy&& copy)
{
    const i64 s = (W + 8 * H - 1) / W; // top and bottom thickness: 8H / W rounded up
    const i64 n = FrameCount(W);
    for (i64 i = 0; i < n; ++i) {
        const i64 k = v == 0 ? n - 1 - i : i;
        copy(8 * k, k * s, W - 16 * k, s);
        copy(8 * k, H - (k + 1) * s, W - 16 * k, s);
        copy(8 * k, (k + 1) * s, 8, H - 2 * (k + 1) * s);
        copy(W - 8 - 8 * k, (k + 1) * s, 8, H - 2 * (k + 1) * s);
    }
}
} // namespace transition_plan
