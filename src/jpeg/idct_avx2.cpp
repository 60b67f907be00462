// AVX2 version of the AAN inverse DCT: the plain version's 32-bit wrapping
// arithmetic, eight lanes at a time. Pass 1 runs on all eight rows at once
// (the block is held column by column, so each load is a column of rows),
// pass 2 on all eight columns after a transpose; products are exact modulo
// 2^32 (vpmulld). The rounding term of the final descale is added once, to
// the DC input of pass 2, which every output takes with weight 1.
// Compiled for AVX2 per function and chosen at run time; loads and stores
// are unaligned and nothing wide is kept in named stack arrays, so that no
// 32-byte stack alignment is relied on.
#include "jpeg/idct.h"
#include "jpeg/kernels.h"

#if VELT_AVX2
#include <immintrin.h>

#define VELT_AVX2_INLINE inline __attribute__((target("avx2"), always_inline))

namespace Velt {

namespace {

VELT_AVX2_INLINE __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
VELT_AVX2_INLINE __m256i Sub(__m256i a, __m256i b) { return _mm256_sub_epi32(a, b); }

// M(x, C) = ((x + 128) >> 8) * C, arithmetic shift, 8 fractional bits. The
// constant is hidden from the compiler, which would otherwise build some
// products from shifts and adds: several operations where vpmulld is one.
VELT_AVX2_INLINE __m256i M(__m256i x, int c)
{
    __m256i constant = _mm256_set1_epi32(c);
    __asm__("" : "+x"(constant));
    return _mm256_mullo_epi32(_mm256_srai_epi32(Add(x, _mm256_set1_epi32(128)), 8), constant);
}

// The AAN butterfly on eight vectors d0..d7 (even and odd parts), in place.
#define VELT_BUTTERFLY(d0, d1, d2, d3, d4, d5, d6, d7)                                                   \
    do {                                                                                                 \
        const __m256i t10 = Add(d0, d4), t11 = Sub(d0, d4), t13 = Add(d2, d6);                           \
        const __m256i t12 = Sub(M(Sub(d2, d6), 362), t13);                                               \
        const __m256i e0 = Add(t10, t13), e3 = Sub(t10, t13), e1 = Add(t11, t12), e2 = Sub(t11, t12);    \
        const __m256i z13 = Add(d5, d3), z10 = Sub(d5, d3), z11 = Add(d1, d7), z12 = Sub(d1, d7);        \
        const __m256i o7 = Add(z11, z13);                                                                \
        const __m256i z5 = M(Sub(z10, z12), 196);                                                        \
        const __m256i o6 = Sub(Sub(M(z12, 277), z5), o7);                                                \
        const __m256i o5 = Sub(M(Sub(z11, z13), 362), o6);                                               \
        const __m256i o4 = Sub(Sub(M(z10, 669), z5), o5);                                                \
        d0 = Add(e0, o7);                                                                                \
        d7 = Sub(e0, o7);                                                                                \
        d1 = Add(e1, o6);                                                                                \
        d6 = Sub(e1, o6);                                                                                \
        d2 = Add(e2, o5);                                                                                \
        d5 = Sub(e2, o5);                                                                                \
        d3 = Add(e3, o4);                                                                                \
        d4 = Sub(e3, o4);                                                                                \
    } while (0)

// 8 x 8 transpose of 32-bit values: v_r lane k -> v_k lane r.
#define VELT_TRANSPOSE(v0, v1, v2, v3, v4, v5, v6, v7)                                                   \
    do {                                                                                                 \
        const __m256i t0 = _mm256_unpacklo_epi32(v0, v1), t1 = _mm256_unpackhi_epi32(v0, v1);          \
        const __m256i t2 = _mm256_unpacklo_epi32(v2, v3), t3 = _mm256_unpackhi_epi32(v2, v3);          \
        const __m256i t4 = _mm256_unpacklo_epi32(v4, v5), t5 = _mm256_unpackhi_epi32(v4, v5);          \
        const __m256i t6 = _mm256_unpacklo_epi32(v6, v7), t7 = _mm256_unpackhi_epi32(v6, v7);          \
        const __m256i u0 = _mm256_unpacklo_epi64(t0, t2), u1 = _mm256_unpackhi_epi64(t0, t2);          \
        const __m256i u2 = _mm256_unpacklo_epi64(t1, t3), u3 = _mm256_unpackhi_epi64(t1, t3);          \
        const __m256i u4 = _mm256_unpacklo_epi64(t4, t6), u5 = _mm256_unpackhi_epi64(t4, t6);          \
        const __m256i u6 = _mm256_unpacklo_epi64(t5, t7), u7 = _mm256_unpackhi_epi64(t5, t7);          \
        v0 = _mm256_permute2x128_si256(u0, u4, 0x20);                                                    \
        v4 = _mm256_permute2x128_si256(u0, u4, 0x31);                                                    \
        v1 = _mm256_permute2x128_si256(u1, u5, 0x20);                                                    \
        v5 = _mm256_permute2x128_si256(u1, u5, 0x31);                                                    \
        v2 = _mm256_permute2x128_si256(u2, u6, 0x20);                                                    \
        v6 = _mm256_permute2x128_si256(u2, u6, 0x31);                                                    \
        v3 = _mm256_permute2x128_si256(u3, u7, 0x20);                                                    \
        v7 = _mm256_permute2x128_si256(u3, u7, 0x31);                                                    \
    } while (0)

// Two rows of eight, rounding term added: descaled by 2^16, level shifted
// and stored as 16-bit samples clamped to 0..255. The shifted values fit 16
// bits; the level shift saturates only where the clamp gives 255 anyway.
VELT_AVX2_INLINE void StoreRows(std::int16_t* out, int rowStride, __m256i a, __m256i b)
{
    // packs works within 128-bit halves: a0-3 b0-3 a4-7 b4-7, reordered to a b.
    __m256i packed = _mm256_packs_epi32(_mm256_srai_epi32(a, 16), _mm256_srai_epi32(b, 16));
    packed = _mm256_permute4x64_epi64(_mm256_adds_epi16(packed, _mm256_set1_epi16(128)), 0xD8);
    packed = _mm256_min_epi16(_mm256_max_epi16(packed, _mm256_setzero_si256()), _mm256_set1_epi16(255));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + rowStride), _mm256_extracti128_si256(packed, 1));
}

// Column k of a block: the coefficients of rows 0-7, as 32-bit lanes.
VELT_AVX2_INLINE __m256i Column(const __m128i* columns, int k)
{
    return _mm256_cvtepi16_epi32(_mm_loadu_si128(columns + k));
}

__attribute__((target("avx2"))) void InverseDctBlocks(std::int16_t* coefficients, int stride, const std::int32_t* dq,
                                                      int count, std::int16_t* samples, int sampleStride,
                                                      int rowStride)
{
    const __m256i* q = reinterpret_cast<const __m256i*>(dq);
    const __m256i q0 = _mm256_loadu_si256(q), q1 = _mm256_loadu_si256(q + 1), q2 = _mm256_loadu_si256(q + 2),
                  q3 = _mm256_loadu_si256(q + 3), q4 = _mm256_loadu_si256(q + 4), q5 = _mm256_loadu_si256(q + 5),
                  q6 = _mm256_loadu_si256(q + 6), q7 = _mm256_loadu_si256(q + 7);
    for (int i = 0; i < count; ++i) {
        std::int16_t* c = coefficients + std::ptrdiff_t(stride) * i;
        std::int16_t* out = samples + std::ptrdiff_t(sampleStride) * i;
        __m256i* cells = reinterpret_cast<__m256i*>(c);
        const __m256i r01 = _mm256_loadu_si256(cells), r23 = _mm256_loadu_si256(cells + 1);
        const __m256i r45 = _mm256_loadu_si256(cells + 2), r67 = _mm256_loadu_si256(cells + 3);
        __m256i ac = _mm256_or_si256(_mm256_or_si256(r23, r45), r67);
        ac = _mm256_or_si256(ac, _mm256_and_si256(r01, _mm256_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                                          -1, -1, -1, -1)));
        const __m128i* columns = reinterpret_cast<const __m128i*>(c);
        if (_mm256_testz_si256(ac, ac)) {
            // Only DC: every row and every column takes the single-value path.
            const __m256i d =
                Add(_mm256_set1_epi32(std::int32_t(std::uint32_t(c[0]) * std::uint32_t(dq[0]))), _mm256_set1_epi32(32768));
            for (int k = 0; k < 4; ++k)
                StoreRows(out + 2 * k * rowStride, rowStride, d, d);
        } else {
            // Pass 1 on all rows: d_k lane r = c(r, k) * dq(r, k), exact mod 2^32.
            __m256i d0 = _mm256_mullo_epi32(Column(columns, 0), q0), d1 = _mm256_mullo_epi32(Column(columns, 1), q1);
            __m256i d2 = _mm256_mullo_epi32(Column(columns, 2), q2), d3 = _mm256_mullo_epi32(Column(columns, 3), q3);
            __m256i d4 = _mm256_mullo_epi32(Column(columns, 4), q4), d5 = _mm256_mullo_epi32(Column(columns, 5), q5);
            __m256i d6 = _mm256_mullo_epi32(Column(columns, 6), q6), d7 = _mm256_mullo_epi32(Column(columns, 7), q7);
            VELT_BUTTERFLY(d0, d1, d2, d3, d4, d5, d6, d7); // d_k lane r = workspace[8r + k]
            // Pass 2 on all columns: after the transpose d_k lane j = workspace[8k + j].
            VELT_TRANSPOSE(d0, d1, d2, d3, d4, d5, d6, d7);
            d0 = Add(d0, _mm256_set1_epi32(32768));
            VELT_BUTTERFLY(d0, d1, d2, d3, d4, d5, d6, d7);
            StoreRows(out, rowStride, d0, d1);
            StoreRows(out + 2 * rowStride, rowStride, d2, d3);
            StoreRows(out + 4 * rowStride, rowStride, d4, d5);
            StoreRows(out + 6 * rowStride, rowStride, d6, d7);
        }
        for (int k = 0; k < 4; ++k) // read: cleared for the next MCU row
            _mm256_storeu_si256(cells + k, _mm256_setzero_si256());
    }
}

} // namespace

void Avx2::InverseDct(std::int16_t* coefficients, int stride, const std::int32_t* dq, int count,
                      std::int16_t* samples, int sampleStride, int rowStride)
{
    InverseDctBlocks(coefficients, stride, dq, count, samples, sampleStride, rowStride);
}

} // namespace Velt

#endif
