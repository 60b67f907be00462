// The per-sample work of decoding (inverse DCT, colour conversion,
// upsampling) in interchangeable versions: plain C++, SSE2 and AVX2. One
// entry table per version; a decoder picks the fastest one the processor
// runs when it is made, and tests and fuzzers may force any available one.
// Every version gives the same bytes as the plain one. Trades an indirect
// call per row of blocks or line for the choice at run time.
#pragma once

#include <cstdint>

namespace Velt {

enum class Path : unsigned char { Plain, Sse2, Avx2 };

struct Kernels {
    Path path;

    // Transforms `count` blocks of coefficients (held column by column, the
    // i-th stride * i cells after the first) into samples 0..255 and clears
    // the coefficients to 0. The i-th block's sample rows start sampleStride
    // * i cells after `samples`, rowStride cells apart. dq is the
    // dequantisation table of BuildDequantTable.
    void (*inverseDct)(std::int16_t* coefficients, int stride, const std::int32_t* dq, int count,
                       std::int16_t* samples, int sampleStride, int rowStride);

    // The chroma parts of the colour conversion for `count` samples (a
    // multiple of 8): red = Tr[Cr], blue = Tb[Cb], green = (Tg1[Cr] +
    // Tg2[Cb]) / 4 (truncating), with the tables of tables.h.
    void (*chromaTerms)(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red,
                        std::int16_t* green, std::int16_t* blue);
    // R, G, B = clamp(Y + term) interleaved, count a multiple of 8; may write
    // up to 32 bytes past 3 * count. applyHalfTerms takes the terms at half
    // the rate (pixel i uses term i / 2): chroma halved horizontally.
    void (*applyTerms)(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                       const std::int16_t* blue, int count, std::uint8_t* out);
    void (*applyHalfTerms)(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                           const std::int16_t* blue, int count, std::uint8_t* out);
    // The three lines' low bytes interleaved (components that are R, G, B).
    void (*interleaveLine)(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count,
                           std::uint8_t* out);
    // Each of `count` samples twice (horizontal upsampling by 2).
    void (*doubleLine)(const std::int16_t* in, int count, std::int16_t* out);
};

// The version's table when it is built in and this processor runs it, else null.
const Kernels* KernelsFor(Path path);
// The fastest available version.
const Kernels& FastestKernels();

// Which versions are built in: SSE2 where the compiler targets it, AVX2
// besides on x86 with GCC or Clang (per-function target attributes, chosen
// at run time). VELT_NO_SIMD leaves the plain version alone.
#if defined(__SSE2__) && !defined(VELT_NO_SIMD)
#define VELT_SSE2 1
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define VELT_AVX2 1
#endif
#endif

// The versions' functions, reached through the tables (kernels.cpp).
#define VELT_KERNEL_FUNCTIONS                                                                            \
    void InverseDct(std::int16_t* coefficients, int stride, const std::int32_t* dq, int count,           \
                    std::int16_t* samples, int sampleStride, int rowStride);                             \
    void ChromaTerms(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red,      \
                     std::int16_t* green, std::int16_t* blue);                                           \
    void ApplyTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,          \
                    const std::int16_t* blue, int count, std::uint8_t* out);                             \
    void ApplyHalfTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,      \
                        const std::int16_t* blue, int count, std::uint8_t* out);                         \
    void InterleaveLine(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count, \
                        std::uint8_t* out);                                                              \
    void DoubleLine(const std::int16_t* in, int count, std::int16_t* out);

namespace Plain {
VELT_KERNEL_FUNCTIONS
}
#if VELT_SSE2
namespace Sse2 {
VELT_KERNEL_FUNCTIONS
}
#endif
#if VELT_AVX2
namespace Avx2 {
VELT_KERNEL_FUNCTIONS
}
#endif

} // namespace Velt
