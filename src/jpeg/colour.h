// Upsampling maps, colour conversion and the three row builders: they turn
// one MCU row of inverse-transformed samples into output rows (R,G,B or
// grey bytes). Upsampling is by replication: each output pixel takes the
// component sample whose area contains the pixel's centre; no interpolation.
#pragma once

#include <cstdint>

#include "jpeg/row_array.h"

namespace Velt {

using IndexRows = RowArray<std::int32_t>;
using ByteRows = RowArray<std::uint8_t>;

// Everything a row builder reads and writes for one MCU row.
struct RowContext {
    const std::int16_t* coefficients = nullptr; // samples 0..255 after the transform
    int mcusPerRow = 0;
    int coefficientsPerMcu = 0;
    int mcuWidth = 0;
    int mcuHeight = 0;
    int nf = 0;
    const IndexRows* maps[3] = {};
    int h[3] = {}; // horizontal sampling factors
    int hmax = 0;
    ByteRows* rows = nullptr;
    std::int16_t* lines = nullptr; // scratch: kScratchLines lines of mcusPerRow * mcuWidth samples
};

// Extra bytes the output row block needs after its last row (vector stores).
constexpr int kRowSlack = 32;
// Scratch lines a colour row builder needs: three components, three colour terms.
constexpr int kScratchLines = 6;

// Entry (y, x): position within an MCU's coefficient area of the sample of
// this component that covers output pixel (x, y) of the MCU.
void BuildMap(IndexRows& map, int h, int v, int firstBlock, int hmax, int vmax, int mcuWidth,
              int mcuHeight);

void BuildRowsGrey(const RowContext& c);
void BuildRowsYCbCr(const RowContext& c);
void BuildRowsDirect(const RowContext& c);

// Straight per-pixel versions through the maps; the builders above must match
// them byte for byte.
void BuildRowsYCbCrMapped(const RowContext& c);
void BuildRowsDirectMapped(const RowContext& c);

// The chroma parts of the conversion for one line: red = Tr[Cr],
// blue = Tb[Cb], green = (Tg1[Cr] + Tg2[Cb]) / 4 (truncating). They depend on
// the chroma samples only, so rows that share a chroma row share them.
void ChromaTerms(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red, std::int16_t* green,
                 std::int16_t* blue);
// R, G, B = clamp(Y + term) interleaved; may write up to 16 bytes past
// 3 * count. count is a multiple of 8. With null terms the three lines are
// taken as R, G, B themselves (direct builder).
void ApplyTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                const std::int16_t* blue, int count, std::uint8_t* out);
void InterleaveLine(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count,
                    std::uint8_t* out);
// The table-driven reference of ChromaTerms followed by ApplyTerms.
void ConvertLineScalar(const std::int16_t* y, const std::int16_t* cb, const std::int16_t* cr, int count,
                       std::uint8_t* out);

} // namespace Velt
