// Plain AAN inverse DCT with the dequantisation folded into pass 1: the
// reference for the vector versions.
// Arithmetic is 32-bit and wraps (unsigned), so corrupt coefficients give a
// defined result; descaled values are clamped to 0..255 (values outside the
// 16-bit range saturate rather than wrap).
#include "jpeg/idct.h"

#include <cstring>

#include "jpeg/kernels.h"

#include "jpeg/tables.h"

namespace Velt {

namespace {

using U = std::uint32_t;

#if defined(__GNUC__)
#define VELT_INLINE inline __attribute__((always_inline))
#else
#define VELT_INLINE inline
#endif

// M(x, C) = ((x + 128) >> 8) * C, arithmetic shift, 8 fractional bits.
inline U M(U x, U c) { return U(std::int32_t(x + 128u) >> 8) * c; }

// Descale by 2^16 with rounding, level shift, clamp.
inline std::int16_t P(U x)
{
    std::int32_t v = (std::int32_t(x + 32768u) >> 16) + 128;
    return std::int16_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The AAN butterfly (even and odd parts) on d[0..7], results in out[0..7].
VELT_INLINE void Butterfly(const U d[8], U out[8])
{
    U t10 = d[0] + d[4];
    U t11 = d[0] - d[4];
    U t13 = d[2] + d[6];
    U t12 = M(d[2] - d[6], 362) - t13;
    U e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;

    U z13 = d[5] + d[3];
    U z10 = d[5] - d[3];
    U z11 = d[1] + d[7];
    U z12 = d[1] - d[7];
    U o7 = z11 + z13;
    U z5 = M(z10 - z12, 196);
    U o6 = M(z12, 277) - z5 - o7;
    U o5 = M(z11 - z13, 362) - o6;
    U o4 = M(z10, 669) - z5 - o5;

    out[0] = e0 + o7;
    out[7] = e0 - o7;
    out[1] = e1 + o6;
    out[6] = e1 - o6;
    out[2] = e2 + o5;
    out[5] = e2 - o5;
    out[3] = e3 + o4;
    out[4] = e3 - o4;
}

void InverseDctBlock(std::int16_t* c, const std::int32_t* dq, std::int16_t* out, int rowStride)
{
    U w[64];
    for (int r = 0; r < 8; ++r) {
        // Row r: the coefficients of columns k, 8 cells apart (tables.h).
        if ((c[8 + r] | c[16 + r] | c[24 + r] | c[32 + r] | c[40 + r] | c[48 + r] | c[56 + r]) == 0) {
            U dc = U(std::int32_t(c[r])) * U(dq[r]);
            for (int k = 0; k < 8; ++k)
                w[8 * r + k] = dc;
            continue;
        }
        U d[8];
        for (int k = 0; k < 8; ++k)
            d[k] = U(std::int32_t(c[8 * k + r])) * U(dq[8 * k + r]);
        Butterfly(d, w + 8 * r);
    }
    std::memset(c, 0, 64 * sizeof(std::int16_t)); // read: cleared for the next MCU row
    for (int j = 0; j < 8; ++j) {
        if ((w[8 + j] | w[16 + j] | w[24 + j] | w[32 + j] | w[40 + j] | w[48 + j] | w[56 + j]) == 0) {
            std::int16_t s = P(w[j]);
            for (int k = 0; k < 8; ++k)
                out[k * rowStride + j] = s;
            continue;
        }
        U d[8], column[8];
        for (int k = 0; k < 8; ++k)
            d[k] = w[8 * k + j];
        Butterfly(d, column);
        for (int k = 0; k < 8; ++k)
            out[k * rowStride + j] = P(column[k]);
    }
}

} // namespace

void BuildDequantTable(const QuantTable& table, std::int32_t dq[64])
{
    for (int i = 63; i >= 0; --i)
        dq[i] = std::int32_t(U(table.values[i]) * U(kAanScale[i]));
}

void Plain::InverseDct(std::int16_t* coefficients, int stride, const std::int32_t* dq, int count,
                       std::int16_t* samples, int sampleStride, int rowStride)
{
    for (int i = 0; i < count; ++i)
        InverseDctBlock(coefficients + std::ptrdiff_t(stride) * i, dq, samples + std::ptrdiff_t(sampleStride) * i,
                        rowStride);
}

} // namespace Velt
