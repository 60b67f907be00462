// AVX2 versions of the line kernels, 16 or 32 pixels at a time: the colour
// terms from their defining formulas as in the SSE2 version, clamping by
// saturating packs, R,G,B interleaving by byte shuffles. Lines whose length
// is not a multiple of the group finish in the plain version. Compiled for
// AVX2 per function and chosen at run time; unaligned loads and stores only.
#include "jpeg/kernels.h"

#if VELT_AVX2
#include <immintrin.h>

#define VELT_AVX2_INLINE inline __attribute__((target("avx2"), always_inline))
#define VELT_TARGET_AVX2 __attribute__((target("avx2")))

namespace Velt {

namespace {

VELT_AVX2_INLINE __m256i Load(const std::int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
VELT_AVX2_INLINE void Store(std::int16_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// (c * x + add) >> shift for sixteen 16-bit x, through 32-bit products of
// (x, 1) pairs; the halves come back in order from packs.
VELT_AVX2_INLINE __m256i Term(__m256i x, int c, int add, int shift)
{
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i k = _mm256_set1_epi32(int((std::uint32_t(add) << 16) | std::uint16_t(c)));
    const __m256i lo = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(x, ones), k), shift);
    const __m256i hi = _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(x, ones), k), shift);
    return _mm256_packs_epi32(lo, hi);
}

// Thirty-two 16-bit values (two vectors, in order) as bytes clamped to 0..255, in order.
VELT_AVX2_INLINE __m256i Bytes(__m256i a, __m256i b)
{
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
}

// Shuffle masks that pick one colour's bytes into the three 16-byte chunks
// of sixteen interleaved pixels (-128: a zero byte), twice over for the two
// halves of a vector. [chunk][colour][byte].
struct RgbMasks {
    signed char mask[3][3][32];
};
constexpr RgbMasks MakeMasks()
{
    RgbMasks m{};
    for (int c = 0; c < 3; ++c)
        for (int colour = 0; colour < 3; ++colour)
            for (int j = 0; j < 32; ++j) {
                const int p = 16 * c + j % 16;
                m.mask[c][colour][j] = static_cast<signed char>(p % 3 == colour ? p / 3 : -128);
            }
    return m;
}
constexpr RgbMasks kRgbMasks = MakeMasks();

VELT_AVX2_INLINE __m256i Pick(__m256i bytes, int chunk, int colour)
{
    return _mm256_shuffle_epi8(bytes, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kRgbMasks.mask[chunk][colour])));
}

// Thirty-two pixels of R, G, B bytes (in order) -> 96 interleaved bytes.
VELT_AVX2_INLINE void StoreRgb32(__m256i r, __m256i g, __m256i b, std::uint8_t* out)
{
    // Each 128-bit half shuffles its own sixteen pixels: chunk c of pixels
    // 0-15 below, of pixels 16-31 above.
    const __m256i o0 = _mm256_or_si256(_mm256_or_si256(Pick(r, 0, 0), Pick(g, 0, 1)), Pick(b, 0, 2));
    const __m256i o1 = _mm256_or_si256(_mm256_or_si256(Pick(r, 1, 0), Pick(g, 1, 1)), Pick(b, 1, 2));
    const __m256i o2 = _mm256_or_si256(_mm256_or_si256(Pick(r, 2, 0), Pick(g, 2, 1)), Pick(b, 2, 2));
    __m256i* p = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(p, _mm256_permute2x128_si256(o0, o1, 0x20));
    _mm256_storeu_si256(p + 1, _mm256_permute2x128_si256(o2, o0, 0x30));
    _mm256_storeu_si256(p + 2, _mm256_permute2x128_si256(o1, o2, 0x31));
}

// The low bytes of thirty-two 16-bit values, in order.
VELT_AVX2_INLINE __m256i LowBytes(const std::int16_t* c)
{
    const __m256i low = _mm256_set1_epi16(0xFF);
    return Bytes(_mm256_and_si256(Load(c), low), _mm256_and_si256(Load(c + 16), low));
}

// Sixteen terms, each twice, as two vectors for thirty-two pixels.
VELT_AVX2_INLINE void Doubled(const std::int16_t* t, __m256i& first, __m256i& second)
{
    const __m256i v = _mm256_permute4x64_epi64(Load(t), 0xD8); // t0-3 t8-11 | t4-7 t12-15
    first = _mm256_unpacklo_epi16(v, v);
    second = _mm256_unpackhi_epi16(v, v);
}

VELT_TARGET_AVX2 void ChromaTermsAvx2(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red,
                               std::int16_t* green, std::int16_t* blue)
{
    const __m256i c128 = _mm256_set1_epi16(128);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i b = _mm256_sub_epi16(Load(cb + i), c128);
        const __m256i r = _mm256_sub_epi16(Load(cr + i), c128);
        // As in the SSE2 version: red (1436 i - 183296) >> 10, blue (1815 i -
        // 231808) >> 10, green ((93696 - 731 i) >> 8) + ((45184 - 352 i) >> 8) + 2,
        // divided by 4 truncating.
        __m256i g = _mm256_add_epi16(Term(r, -731, 128, 8), Term(b, -352, 128, 8));
        g = _mm256_add_epi16(g, _mm256_set1_epi16(2));
        g = _mm256_srai_epi16(_mm256_add_epi16(g, _mm256_and_si256(_mm256_srai_epi16(g, 15), _mm256_set1_epi16(3))), 2);
        Store(red + i, Term(r, 1436, 512, 10));
        Store(green + i, g);
        Store(blue + i, Term(b, 1815, 512, 10));
    }
    if (i < count)
        Plain::ChromaTerms(cb + i, cr + i, count - i, red + i, green + i, blue + i);
}

VELT_TARGET_AVX2 void ApplyTermsAvx2(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                              const std::int16_t* blue, int count, std::uint8_t* out)
{
    int i = 0;
    for (; i + 32 <= count; i += 32, out += 96) {
        const __m256i y0 = Load(y + i), y1 = Load(y + i + 16);
        const __m256i r = Bytes(_mm256_add_epi16(y0, Load(red + i)), _mm256_add_epi16(y1, Load(red + i + 16)));
        const __m256i g = Bytes(_mm256_add_epi16(y0, Load(green + i)), _mm256_add_epi16(y1, Load(green + i + 16)));
        const __m256i b = Bytes(_mm256_add_epi16(y0, Load(blue + i)), _mm256_add_epi16(y1, Load(blue + i + 16)));
        StoreRgb32(r, g, b, out);
    }
    if (i < count)
        Plain::ApplyTerms(y + i, red + i, green + i, blue + i, count - i, out);
}

VELT_TARGET_AVX2 void ApplyHalfTermsAvx2(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                                  const std::int16_t* blue, int count, std::uint8_t* out)
{
    int i = 0;
    for (; i + 32 <= count; i += 32, out += 96) {
        const __m256i y0 = Load(y + i), y1 = Load(y + i + 16);
        __m256i t0, t1;
        Doubled(red + i / 2, t0, t1);
        const __m256i r = Bytes(_mm256_add_epi16(y0, t0), _mm256_add_epi16(y1, t1));
        Doubled(green + i / 2, t0, t1);
        const __m256i g = Bytes(_mm256_add_epi16(y0, t0), _mm256_add_epi16(y1, t1));
        Doubled(blue + i / 2, t0, t1);
        const __m256i b = Bytes(_mm256_add_epi16(y0, t0), _mm256_add_epi16(y1, t1));
        StoreRgb32(r, g, b, out);
    }
    if (i < count)
        Plain::ApplyHalfTerms(y + i, red + i / 2, green + i / 2, blue + i / 2, count - i, out);
}

VELT_TARGET_AVX2 void InterleaveLineAvx2(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count,
                                  std::uint8_t* out)
{
    int i = 0;
    for (; i + 32 <= count; i += 32, out += 96)
        StoreRgb32(LowBytes(c0 + i), LowBytes(c1 + i), LowBytes(c2 + i), out);
    if (i < count)
        Plain::InterleaveLine(c0 + i, c1 + i, c2 + i, count - i, out);
}

VELT_TARGET_AVX2 void DoubleLineAvx2(const std::int16_t* in, int count, std::int16_t* out)
{
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i first, second;
        Doubled(in + i, first, second);
        Store(out + 2 * i, first);
        Store(out + 2 * i + 16, second);
    }
    if (i < count)
        Plain::DoubleLine(in + i, count - i, out + 2 * i);
}

} // namespace

void Avx2::ChromaTerms(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red,
                       std::int16_t* green, std::int16_t* blue)
{
    ChromaTermsAvx2(cb, cr, count, red, green, blue);
}

void Avx2::ApplyTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                      const std::int16_t* blue, int count, std::uint8_t* out)
{
    ApplyTermsAvx2(y, red, green, blue, count, out);
}

void Avx2::ApplyHalfTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                          const std::int16_t* blue, int count, std::uint8_t* out)
{
    ApplyHalfTermsAvx2(y, red, green, blue, count, out);
}

void Avx2::InterleaveLine(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count,
                          std::uint8_t* out)
{
    InterleaveLineAvx2(c0, c1, c2, count, out);
}

void Avx2::DoubleLine(const std::int16_t* in, int count, std::int16_t* out)
{
    DoubleLineAvx2(in, count, out);
}

} // namespace Velt

#endif
