// Constant tables shared by the decoder stages: the zigzag order, the AAN
// scale factors of the inverse DCT and the YCbCr colour tables.
#pragma once

#include <cstdint>

namespace Velt {

// Zigzag index -> position within a coefficient block (T.81 Figure A.6),
// followed by 16 zeros so that a run carried past 63 by a corrupt stream
// lands on coefficient 0 instead of outside the block. Coefficient blocks,
// and the quantisation tables with them, are held column by column: the
// coefficient of row v, column u at 8 * u + v. The transforms' first pass
// runs along rows, so their vector versions load whole columns of rows.
extern const std::uint8_t kZigzag[80];

// Entry 8v+u: round(8192 * s(v) * s(u)), s(0) = 1, s(k) = sqrt2 * cos(k*pi/16).
extern const std::int32_t kAanScale[64];

// YCbCr -> RGB terms (JFIF), indexed by the 8-bit chroma sample.
struct ColourTables {
    std::int16_t red[256];    // from Cr
    std::int16_t blue[256];   // from Cb
    std::int16_t green1[256]; // four times the green term from Cr
    std::int16_t green2[256]; // four times the green term from Cb, plus 2
};
extern const ColourTables kColour;

} // namespace Velt
