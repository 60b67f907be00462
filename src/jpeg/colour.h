// Upsampling maps, colour conversion and the three row builders: they turn
// one MCU row of inverse-transformed samples (a plane per component) into
// output rows (R,G,B or grey bytes). Upsampling is by replication: each output pixel takes the
// component sample whose area contains the pixel's centre; no interpolation.
#pragma once

#include <cstdint>

#include "jpeg/kernels.h"
#include "jpeg/row_array.h"

namespace Velt {

using IndexRows = RowArray<std::int32_t>;
using ByteRows = RowArray<std::uint8_t>;

// Everything a row builder reads and writes for one MCU row. Each
// component's samples (0..255) form a plane: 8 * v rows of PlaneWidth()
// samples, the transform's output for the component's blocks of the row.
struct RowContext {
    const Kernels* kernels = nullptr;
    const std::int16_t* planes[3] = {};
    int mcusPerRow = 0;
    int mcuWidth = 0;
    int mcuHeight = 0;
    const IndexRows* maps[3] = {};
    int h[3] = {}; // horizontal sampling factors
    int hmax = 0;
    ByteRows* rows = nullptr;
    std::int16_t* lines = nullptr; // scratch: kScratchLines lines of mcusPerRow * mcuWidth samples

    int PlaneWidth(int comp) const { return mcusPerRow * 8 * h[comp]; }
};

// Extra bytes the output row block needs after its last row (vector stores).
constexpr int kRowSlack = 32;
// Scratch lines a colour row builder needs: three components, three colour terms.
constexpr int kScratchLines = 6;

// Entry (y, x): position within the component's plane, from the plane's
// part for the MCU (8 * h samples to the right per MCU), of the sample that
// covers output pixel (x, y) of the MCU.
void BuildMap(IndexRows& map, int h, int v, int hmax, int vmax, int mcuWidth, int mcuHeight, int planeWidth);

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
