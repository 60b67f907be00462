// SSE2 version of the AAN inverse DCT: the plain version's 32-bit wrapping
// arithmetic, four lanes at a time. Pass 1 runs on all eight rows at once
// (the block is held column by column, so each load is a column of rows),
// pass 2 on all eight columns after a transpose. SSE2 has no 32-bit
// multiply, so products are built from 16-bit halves; every product is
// exact modulo 2^32.
#include "jpeg/idct.h"
#include "jpeg/kernels.h"

#if VELT_SSE2
#include <emmintrin.h>

namespace Velt {

namespace {

#if defined(__GNUC__)
#define VELT_INLINE inline __attribute__((always_inline))
#else
#define VELT_INLINE inline
#endif

struct V8 { // eight 32-bit lanes: lanes 0-3 in lo, 4-7 in hi
    __m128i lo, hi;
};

VELT_INLINE V8 Add(V8 a, V8 b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
VELT_INLINE V8 Sub(V8 a, V8 b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }

// y * c modulo 2^32 for a constant 0 < c < 2^15: low halves times c plus the
// high halves times c shifted up.
VELT_INLINE __m128i MulSmall(__m128i y, __m128i c16)
{
    __m128i p = _mm_mullo_epi16(y, c16);
    __m128i q = _mm_mulhi_epu16(y, c16);
    return _mm_add_epi32(p, _mm_slli_epi32(q, 16));
}

VELT_INLINE __m128i M4(__m128i x, __m128i c16)
{
    return MulSmall(_mm_srai_epi32(_mm_add_epi32(x, _mm_set1_epi32(128)), 8), c16);
}

VELT_INLINE V8 M(V8 x, __m128i c16) { return {M4(x.lo, c16), M4(x.hi, c16)}; }

// Four 32-bit lanes; V8 runs it on both halves.
struct V4 {
    __m128i v;
};
VELT_INLINE V4 Add(V4 a, V4 b) { return {_mm_add_epi32(a.v, b.v)}; }
VELT_INLINE V4 Sub(V4 a, V4 b) { return {_mm_sub_epi32(a.v, b.v)}; }
VELT_INLINE V4 M(V4 x, __m128i c16) { return {M4(x.v, c16)}; }

template <typename V>
VELT_INLINE void Butterfly(const V d[8], V out[8])
{
    const __m128i c362 = _mm_set1_epi16(362), c196 = _mm_set1_epi16(196);
    const __m128i c277 = _mm_set1_epi16(277), c669 = _mm_set1_epi16(669);
    V t10 = Add(d[0], d[4]);
    V t11 = Sub(d[0], d[4]);
    V t13 = Add(d[2], d[6]);
    V t12 = Sub(M(Sub(d[2], d[6]), c362), t13);
    V e0 = Add(t10, t13), e3 = Sub(t10, t13), e1 = Add(t11, t12), e2 = Sub(t11, t12);

    V z13 = Add(d[5], d[3]);
    V z10 = Sub(d[5], d[3]);
    V z11 = Add(d[1], d[7]);
    V z12 = Sub(d[1], d[7]);
    V o7 = Add(z11, z13);
    V z5 = M(Sub(z10, z12), c196);
    V o6 = Sub(Sub(M(z12, c277), z5), o7);
    V o5 = Sub(M(Sub(z11, z13), c362), o6);
    V o4 = Sub(Sub(M(z10, c669), z5), o5);

    out[0] = Add(e0, o7);
    out[7] = Sub(e0, o7);
    out[1] = Add(e1, o6);
    out[6] = Sub(e1, o6);
    out[2] = Add(e2, o5);
    out[5] = Sub(e2, o5);
    out[3] = Add(e3, o4);
    out[4] = Sub(e3, o4);
}

VELT_INLINE void Transpose4(__m128i& a0, __m128i& a1, __m128i& a2, __m128i& a3)
{
    __m128i t0 = _mm_unpacklo_epi32(a0, a1), t1 = _mm_unpacklo_epi32(a2, a3);
    __m128i t2 = _mm_unpackhi_epi32(a0, a1), t3 = _mm_unpackhi_epi32(a2, a3);
    a0 = _mm_unpacklo_epi64(t0, t1);
    a1 = _mm_unpackhi_epi64(t0, t1);
    a2 = _mm_unpacklo_epi64(t2, t3);
    a3 = _mm_unpackhi_epi64(t2, t3);
}

// v[k] (lanes r) -> v[r] (lanes k), 8x8 of 32-bit values.
VELT_INLINE void Transpose8(V8 v[8])
{
    Transpose4(v[0].lo, v[1].lo, v[2].lo, v[3].lo);
    Transpose4(v[4].hi, v[5].hi, v[6].hi, v[7].hi);
    Transpose4(v[0].hi, v[1].hi, v[2].hi, v[3].hi);
    Transpose4(v[4].lo, v[5].lo, v[6].lo, v[7].lo);
    for (int i = 0; i < 4; ++i) {
        __m128i t = v[i].hi;
        v[i].hi = v[i + 4].lo;
        v[i + 4].lo = t;
    }
}

// Descale, level shift and clamp eight lanes to 0..255 as int16.
VELT_INLINE __m128i P(V8 x)
{
    const __m128i round = _mm_set1_epi32(32768), shift = _mm_set1_epi32(128);
    __m128i lo = _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(x.lo, round), 16), shift);
    __m128i hi = _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(x.hi, round), 16), shift);
    __m128i packed = _mm_packs_epi32(lo, hi);
    return _mm_min_epi16(_mm_max_epi16(packed, _mm_setzero_si128()), _mm_set1_epi16(255));
}

struct DequantColumns { // dq column k (lanes r: rows), split in 16-bit halves
    __m128i lo[8], hi[8], loNegative[8];
};

void PrepareDequant(const std::int32_t* dq, DequantColumns& t)
{
    for (int k = 0; k < 8; ++k) {
        alignas(16) std::int16_t lo[8], hi[8];
        for (int r = 0; r < 8; ++r) {
            auto v = std::uint32_t(dq[8 * k + r]); // held column by column, as the coefficients
            lo[r] = std::int16_t(std::uint16_t(v & 0xFFFF));
            hi[r] = std::int16_t(std::uint16_t(v >> 16));
        }
        t.lo[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(lo));
        t.hi[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(hi));
        t.loNegative[k] = _mm_srai_epi16(t.lo[k], 15);
    }
}

void InverseDctBlock(std::int16_t* c, const DequantColumns& t, std::int32_t dq0, std::int16_t* samples,
                     int rowStride)
{
    // cols[k] lane r = the coefficient of row r, column k (blocks are held
    // column by column).
    __m128i cols[8];
    for (int k = 0; k < 8; ++k)
        cols[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 8 * k));
    for (int k = 0; k < 8; ++k) // read: cleared for the next MCU row
        _mm_storeu_si128(reinterpret_cast<__m128i*>(c + 8 * k), _mm_setzero_si128());

    __m128i all = _mm_or_si128(_mm_or_si128(cols[1], cols[2]), _mm_or_si128(cols[3], cols[4]));
    all = _mm_or_si128(all, _mm_or_si128(_mm_or_si128(cols[5], cols[6]), cols[7]));
    const __m128i ac = _mm_or_si128(all, _mm_srli_si128(cols[0], 2));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(ac, _mm_setzero_si128())) == 0xFFFF) {
        // Only DC: every row and every column takes the single-value path.
        auto d = std::int32_t(std::uint32_t(std::int32_t(std::int16_t(_mm_cvtsi128_si32(cols[0])))) *
                              std::uint32_t(dq0));
        __m128i v = _mm_set1_epi32(d);
        __m128i s = P({v, v});
        for (int r = 0; r < 8; ++r)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + r * rowStride), s);
        return;
    }

    // Pass 1 on all rows: d_k lane r = c(r, k) * dq(r, k), exact mod 2^32.
    // Rows 4 to 7 are often all zero (lanes 4 to 7 of every column): their
    // workspace rows are then zero too.
    const __m128i lower = _mm_unpackhi_epi64(_mm_or_si128(all, cols[0]), _mm_setzero_si128());
    const bool upperOnly = _mm_movemask_epi8(_mm_cmpeq_epi16(lower, _mm_setzero_si128())) == 0xFFFF;
    V8 d[8], w[8];
    for (int k = 0; k < 8; ++k) {
        __m128i plo = _mm_mullo_epi16(cols[k], t.lo[k]);
        __m128i phi = _mm_add_epi16(_mm_mulhi_epi16(cols[k], t.lo[k]), _mm_and_si128(cols[k], t.loNegative[k]));
        phi = _mm_add_epi16(phi, _mm_mullo_epi16(cols[k], t.hi[k]));
        d[k] = {_mm_unpacklo_epi16(plo, phi), _mm_unpackhi_epi16(plo, phi)};
    }
    V8 out[8];
    if (upperOnly) {
        // Workspace rows 4 to 7 are zero: transpose the upper half only and
        // let the column pass see literal zeros.
        V4 d4[8], w4[8];
        for (int k = 0; k < 8; ++k)
            d4[k] = {d[k].lo};
        Butterfly(d4, w4);
        Transpose4(w4[0].v, w4[1].v, w4[2].v, w4[3].v);
        Transpose4(w4[4].v, w4[5].v, w4[6].v, w4[7].v);
        const __m128i zero = _mm_setzero_si128();
        for (int k = 0; k < 4; ++k) {
            w[k] = {w4[k].v, w4[k + 4].v};
            w[k + 4] = {zero, zero};
        }
        Butterfly(w, out);
    } else {
        Butterfly(d, w); // w[k] lane r = workspace[8r + k]
        // Pass 2 on all columns: after the transpose w[k] lane j = workspace[8k + j].
        Transpose8(w);
        Butterfly(w, out);
    }
    for (int k = 0; k < 8; ++k)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + k * rowStride), P(out[k]));
}

} // namespace

void Sse2::InverseDct(std::int16_t* coefficients, int stride, const std::int32_t* dq, int count,
                      std::int16_t* samples, int sampleStride, int rowStride)
{
    DequantColumns t;
    PrepareDequant(dq, t);
    for (int i = 0; i < count; ++i)
        InverseDctBlock(coefficients + std::ptrdiff_t(stride) * i, t, dq[0],
                        samples + std::ptrdiff_t(sampleStride) * i, rowStride);
}

} // namespace Velt

#endif
