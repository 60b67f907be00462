// SSE2 versions of the line kernels. The colour-table terms are computed
// from their defining formulas (exactly the table values: tested for every
// input) eight pixels at a time; R,G,B bytes are interleaved with shifts
// and masks, as SSE2 has no byte shuffle.
#include "jpeg/kernels.h"

#if VELT_SSE2
#include <emmintrin.h>

namespace Velt {

namespace {

// Four 32-bit R,G,B,0 pixels -> 12 bytes at out (16 bytes written).
inline void StoreRgb4(__m128i rgbx, std::uint8_t* out)
{
    const __m128i keep0 = _mm_set_epi32(0, 0, -1, -1); // the low half: pixels 0 and 1
    __m128i t = _mm_or_si128(_mm_and_si128(rgbx, _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF)),
                             _mm_and_si128(_mm_srli_epi64(rgbx, 8), _mm_set_epi32(0x0000FFFF, int(0xFF000000u), 0x0000FFFF, int(0xFF000000u))));
    // Each 64-bit half now holds 6 bytes; close the gap between the halves.
    __m128i packed = _mm_or_si128(_mm_and_si128(t, keep0),
                                  _mm_and_si128(_mm_srli_si128(t, 2), _mm_set_epi32(0, -1, int(0xFFFF0000u), 0)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), packed);
}

// Eight pixels of 16-bit R, G, B (each 0..255) -> 24 bytes (28 written).
inline void StoreRgb8(__m128i r, __m128i g, __m128i b, std::uint8_t* out)
{
    __m128i rg = _mm_or_si128(r, _mm_slli_epi16(g, 8));
    StoreRgb4(_mm_unpacklo_epi16(rg, b), out);
    StoreRgb4(_mm_unpackhi_epi16(rg, b), out + 12);
}

inline __m128i Load(const std::int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(std::int16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Eight 16-bit x as (x, 1) pairs in two halves, for _mm_madd_epi16.
struct Pairs {
    __m128i lo, hi;
};
inline Pairs MakePairs(__m128i x)
{
    const __m128i ones = _mm_set1_epi16(1);
    return {_mm_unpacklo_epi16(x, ones), _mm_unpackhi_epi16(x, ones)};
}

// (c * x + add) >> shift on the eight x of p, through 32-bit products.
inline __m128i Term(const Pairs& p, int c, int add, int shift)
{
    const __m128i k = _mm_set1_epi32(int((std::uint32_t(add) << 16) | std::uint16_t(c)));
    __m128i lo = _mm_srai_epi32(_mm_madd_epi16(p.lo, k), shift);
    __m128i hi = _mm_srai_epi32(_mm_madd_epi16(p.hi, k), shift);
    return _mm_packs_epi32(lo, hi);
}

inline __m128i Clamp(__m128i v)
{
    return _mm_min_epi16(_mm_max_epi16(v, _mm_setzero_si128()), _mm_set1_epi16(255));
}

} // namespace

void Sse2::ChromaTerms(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red,
                       std::int16_t* green, std::int16_t* blue)
{
    const __m128i c128 = _mm_set1_epi16(128);
    for (int i = 0; i < count; i += 8) {
        Pairs b = MakePairs(_mm_sub_epi16(Load(cb + i), c128));
        Pairs r = MakePairs(_mm_sub_epi16(Load(cr + i), c128));
        // The tables' formulas around 128: red (1436 i - 183296) >> 10, blue
        // (1815 i - 231808) >> 10, green1 (93696 - 731 i) >> 8, green2
        // ((45184 - 352 i) >> 8) + 2.
        __m128i g = _mm_add_epi16(Term(r, -731, 128, 8), Term(b, -352, 128, 8));
        g = _mm_add_epi16(g, _mm_set1_epi16(2));
        g = _mm_srai_epi16(_mm_add_epi16(g, _mm_and_si128(_mm_srai_epi16(g, 15), _mm_set1_epi16(3))), 2);
        Store(red + i, Term(r, 1436, 512, 10));
        Store(green + i, g);
        Store(blue + i, Term(b, 1815, 512, 10));
    }
}

void Sse2::ApplyTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                      const std::int16_t* blue, int count, std::uint8_t* out)
{
    for (int i = 0; i < count; i += 8, out += 24) {
        __m128i yy = Load(y + i);
        StoreRgb8(Clamp(_mm_add_epi16(yy, Load(red + i))), Clamp(_mm_add_epi16(yy, Load(green + i))),
                  Clamp(_mm_add_epi16(yy, Load(blue + i))), out);
    }
}

void Sse2::InterleaveLine(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count,
                          std::uint8_t* out)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    for (int i = 0; i < count; i += 8, out += 24)
        StoreRgb8(_mm_and_si128(Load(c0 + i), low), _mm_and_si128(Load(c1 + i), low),
                  _mm_and_si128(Load(c2 + i), low), out);
}

void Sse2::ApplyHalfTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                          const std::int16_t* blue, int count, std::uint8_t* out)
{
    // Four terms, each twice, for eight pixels.
    auto terms = [](const std::int16_t* t) {
        __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t));
        return _mm_unpacklo_epi16(v, v);
    };
    for (int i = 0; i < count; i += 8, out += 24) {
        __m128i yy = Load(y + i);
        StoreRgb8(Clamp(_mm_add_epi16(yy, terms(red + i / 2))), Clamp(_mm_add_epi16(yy, terms(green + i / 2))),
                  Clamp(_mm_add_epi16(yy, terms(blue + i / 2))), out);
    }
}

void Sse2::DoubleLine(const std::int16_t* in, int count, std::int16_t* out)
{
    for (int i = 0; i < count; i += 8, out += 16) {
        __m128i v = Load(in + i);
        Store(out, _mm_unpacklo_epi16(v, v));
        Store(out + 8, _mm_unpackhi_epi16(v, v));
    }
}

} // namespace Velt

#endif
