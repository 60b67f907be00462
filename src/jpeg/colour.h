// Upsampling maps, colour conversion and the three row builders: they turn
// one MCU row of inverse-transformed samples into output rows (R,G,B or
// grey bytes). Upsampling is by replication: each output pixel takes the
// component sample whose area contains the pixel's centre; no interpolation.
#pragma once

#include <cstdint>

#include "jpeg/kernels.h"
#include "jpeg/row_array.h"

namespace Velt {

using IndexRows = RowArray<std::int32_t>;
using ByteRows = RowArray<std::uint8_t>;

// Everything a row builder reads and writes for one MCU row.
struct RowContext {
    const Kernels* kernels = nullptr;
    const std::int16_t* samples = nullptr; // 0..255, laid out as the coefficients they came from
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
// Scratch lines a colour row builder needs: three components, three colour
// terms and one for upsampling.
constexpr int kScratchLines = 7;

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

// The table-driven reference of the chroma terms applied to a line.
void ConvertLineScalar(const std::int16_t* y, const std::int16_t* cb, const std::int16_t* cr, int count,
                       std::uint8_t* out);

} // namespace Velt
