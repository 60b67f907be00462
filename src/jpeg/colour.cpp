// Row builders: the upsampling maps (built once per decoder), the per-pixel
// reference builders that read through them, and the line-based builders
// used for decoding. A line builder gathers each component's samples for one
// output row into a contiguous line (plain copies when the component is not
// subsampled horizontally, copies then doubling when it is halved, the map
// otherwise) and converts whole lines at once with the decoder's kernels.
// Chroma halved horizontally is converted at its own rate and its terms are
// applied to pixel pairs. Trades a copy of each sample into scratch lines
// for conversion loops without per-pixel indexing.
#include "jpeg/colour.h"

#include <cstring>

#include "jpeg/tables.h"

namespace Velt {

namespace {

inline std::uint8_t Clamp(int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// The samples of component `comp` covering output row y of every MCU, at
// the component's own horizontal rate: 8 * h per MCU. Returns their count.
int GatherNative(const RowContext& c, int comp, int y, std::int16_t* line)
{
    const std::int32_t rowBase = (*c.maps[comp])[y][0];
    const int h = c.h[comp];
    const std::int16_t* mcu = c.samples + rowBase;
    for (int m = 0; m < c.mcusPerRow; ++m, mcu += c.coefficientsPerMcu, line += 8 * h)
        for (int b = 0; b < h; ++b)
            std::memcpy(line + 8 * b, mcu + 64 * b, 8 * sizeof(std::int16_t));
    return c.mcusPerRow * 8 * h;
}

// The samples of component `comp` covering output row y, one per pixel.
// `spare` is a scratch line for components halved horizontally.
void GatherLine(const RowContext& c, int comp, int y, std::int16_t* line, std::int16_t* spare)
{
    const int h = c.h[comp];
    if (h == c.hmax) {
        GatherNative(c, comp, y, line);
    } else if (2 * h == c.hmax) {
        c.kernels->doubleLine(spare, GatherNative(c, comp, y, spare), line);
    } else {
        const std::int32_t* mapRow = (*c.maps[comp])[y];
        const std::int16_t* mcu = c.samples;
        for (int m = 0; m < c.mcusPerRow; ++m, mcu += c.coefficientsPerMcu, line += c.mcuWidth)
            for (int x = 0; x < c.mcuWidth; ++x)
                line[x] = mcu[mapRow[x]];
    }
}

void BuildLinesDirect(const RowContext& c)
{
    const int width = c.mcusPerRow * c.mcuWidth;
    std::int16_t* l0 = c.lines;
    std::int16_t* l1 = l0 + width;
    std::int16_t* l2 = l1 + width;
    std::int16_t* spare = l2 + width;
    for (int y = 0; y < c.mcuHeight; ++y) {
        GatherLine(c, 0, y, l0, spare);
        GatherLine(c, 1, y, l1, spare);
        GatherLine(c, 2, y, l2, spare);
        c.kernels->interleaveLine(l0, l1, l2, width, (*c.rows)[y]);
    }
}

void BuildLinesYCbCr(const RowContext& c)
{
    const int width = c.mcusPerRow * c.mcuWidth;
    std::int16_t* luma = c.lines;
    std::int16_t* cb = luma + width;
    std::int16_t* cr = cb + width;
    std::int16_t* red = cr + width;
    std::int16_t* green = red + width;
    std::int16_t* blue = green + width;
    std::int16_t* spare = blue + width;
    // Both chroma components halved horizontally: terms at their own rate.
    const bool half = 2 * c.h[1] == c.hmax && 2 * c.h[2] == c.hmax;
    std::int32_t lastCb = -1, lastCr = -1;
    for (int y = 0; y < c.mcuHeight; ++y) {
        GatherLine(c, 0, y, luma, spare);
        // Output rows that take the same chroma rows take the same terms.
        const std::int32_t rowCb = (*c.maps[1])[y][0], rowCr = (*c.maps[2])[y][0];
        if (rowCb != lastCb || rowCr != lastCr) {
            if (half) {
                GatherNative(c, 1, y, cb);
                c.kernels->chromaTerms(cb, cr, GatherNative(c, 2, y, cr), red, green, blue);
            } else {
                GatherLine(c, 1, y, cb, spare);
                GatherLine(c, 2, y, cr, spare);
                c.kernels->chromaTerms(cb, cr, width, red, green, blue);
            }
            lastCb = rowCb;
            lastCr = rowCr;
        }
        (half ? c.kernels->applyHalfTerms : c.kernels->applyTerms)(luma, red, green, blue, width, (*c.rows)[y]);
    }
}

} // namespace

void BuildMap(IndexRows& map, int h, int v, int firstBlock, int hmax, int vmax, int mcuWidth, int mcuHeight)
{
    map.Allocate(mcuHeight, std::size_t(mcuWidth));
    for (int y = 0; y < mcuHeight; ++y) {
        int a = ((2 * y + 1) * v) / (2 * vmax);
        for (int x = 0; x < mcuWidth; ++x) {
            int b = ((2 * x + 1) * h) / (2 * hmax);
            map[y][x] = 64 * (firstBlock + h * (a / 8) + b / 8) + 8 * (a % 8) + (b % 8);
        }
    }
}

void BuildRowsGrey(const RowContext& c)
{
    for (int r = 0; r < 8; ++r) {
        std::uint8_t* out = (*c.rows)[r];
        const std::int16_t* block = c.samples + 8 * r;
        for (int n = 0; n < c.mcusPerRow; ++n, block += c.coefficientsPerMcu, out += 8)
            for (int i = 0; i < 8; ++i)
                out[i] = std::uint8_t(block[i]);
    }
}

void BuildRowsYCbCr(const RowContext& c) { BuildLinesYCbCr(c); }
void BuildRowsDirect(const RowContext& c) { BuildLinesDirect(c); }

void BuildRowsYCbCrMapped(const RowContext& c)
{
    const ColourTables& t = kColour;
    for (int m = 0; m < c.mcusPerRow; ++m) {
        const std::int16_t* s = c.samples + std::ptrdiff_t(m) * c.coefficientsPerMcu;
        for (int y = 0; y < c.mcuHeight; ++y) {
            std::uint8_t* out = (*c.rows)[y] + 3 * m * c.mcuWidth;
            const std::int32_t* my = (*c.maps[0])[y];
            const std::int32_t* mcb = (*c.maps[1])[y];
            const std::int32_t* mcr = (*c.maps[2])[y];
            for (int x = 0; x < c.mcuWidth; ++x, out += 3) {
                int yy = s[my[x]], cb = s[mcb[x]] & 0xFF, cr = s[mcr[x]] & 0xFF;
                out[0] = Clamp(yy + t.red[cr]);
                out[1] = Clamp(yy + (t.green1[cr] + t.green2[cb]) / 4);
                out[2] = Clamp(yy + t.blue[cb]);
            }
        }
    }
}

void BuildRowsDirectMapped(const RowContext& c)
{
    for (int k = 0; k < 3; ++k)
        for (int m = 0; m < c.mcusPerRow; ++m) {
            const std::int16_t* s = c.samples + std::ptrdiff_t(m) * c.coefficientsPerMcu;
            for (int y = 0; y < c.mcuHeight; ++y) {
                std::uint8_t* out = (*c.rows)[y] + 3 * m * c.mcuWidth + k;
                const std::int32_t* map = (*c.maps[k])[y];
                for (int x = 0; x < c.mcuWidth; ++x)
                    out[3 * x] = std::uint8_t(s[map[x]]);
            }
        }
}

void ConvertLineScalar(const std::int16_t* y, const std::int16_t* cb, const std::int16_t* cr, int count,
                       std::uint8_t* out)
{
    const ColourTables& t = kColour;
    for (int i = 0; i < count; ++i, out += 3) {
        int yy = y[i], b = cb[i] & 0xFF, r = cr[i] & 0xFF;
        out[0] = Clamp(yy + t.red[r]);
        out[1] = Clamp(yy + (t.green1[r] + t.green2[b]) / 4);
        out[2] = Clamp(yy + t.blue[b]);
    }
}

} // namespace Velt
