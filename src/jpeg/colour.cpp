// Row builders: the upsampling maps (built once per decoder), the per-pixel
// reference builders that read through them, and the line-based builders
// used for decoding. A line builder takes each component's samples for one
// output row as a line: the plane row itself when the component is not
// subsampled horizontally, the row doubled when it is halved, gathered
// through the map otherwise. Whole lines are converted at once with the
// decoder's kernels; chroma halved horizontally is converted at its own
// rate and its terms are applied to pixel pairs.
#include "jpeg/colour.h"

#include "jpeg/tables.h"

namespace Velt {

namespace {

inline std::uint8_t Clamp(int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// The row of component `comp`'s plane that covers output row y.
const std::int16_t* PlaneRow(const RowContext& c, int comp, int y)
{
    return c.planes[comp] + (*c.maps[comp])[y][0];
}

// Component `comp`'s samples for output row y, one per pixel: the plane row
// itself, or made in `line`.
const std::int16_t* PixelLine(const RowContext& c, int comp, int y, std::int16_t* line)
{
    const int h = c.h[comp];
    if (h == c.hmax)
        return PlaneRow(c, comp, y);
    if (2 * h == c.hmax) {
        c.kernels->doubleLine(PlaneRow(c, comp, y), c.PlaneWidth(comp), line);
        return line;
    }
    const std::int32_t* mapRow = (*c.maps[comp])[y];
    const std::int16_t* plane = c.planes[comp];
    std::int16_t* out = line;
    for (int m = 0; m < c.mcusPerRow; ++m, plane += 8 * h, out += c.mcuWidth)
        for (int x = 0; x < c.mcuWidth; ++x)
            out[x] = plane[mapRow[x]];
    return line;
}

void BuildLinesDirect(const RowContext& c)
{
    const int width = c.mcusPerRow * c.mcuWidth;
    std::int16_t* l0 = c.lines;
    std::int16_t* l1 = l0 + width;
    std::int16_t* l2 = l1 + width;
    for (int y = 0; y < c.mcuHeight; ++y)
        c.kernels->interleaveLine(PixelLine(c, 0, y, l0), PixelLine(c, 1, y, l1), PixelLine(c, 2, y, l2), width,
                                  (*c.rows)[y]);
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
    // Both chroma components halved horizontally: terms at their own rate.
    const bool half = 2 * c.h[1] == c.hmax && 2 * c.h[2] == c.hmax;
    std::int32_t lastCb = -1, lastCr = -1;
    for (int y = 0; y < c.mcuHeight; ++y) {
        // Output rows that take the same chroma rows take the same terms.
        const std::int32_t rowCb = (*c.maps[1])[y][0], rowCr = (*c.maps[2])[y][0];
        if (rowCb != lastCb || rowCr != lastCr) {
            if (half)
                c.kernels->chromaTerms(PlaneRow(c, 1, y), PlaneRow(c, 2, y), c.PlaneWidth(1), red, green, blue);
            else
                c.kernels->chromaTerms(PixelLine(c, 1, y, cb), PixelLine(c, 2, y, cr), width, red, green, blue);
            lastCb = rowCb;
            lastCr = rowCr;
        }
        (half ? c.kernels->applyHalfTerms : c.kernels->applyTerms)(PixelLine(c, 0, y, luma), red, green, blue,
                                                                   width, (*c.rows)[y]);
    }
}

} // namespace

void BuildMap(IndexRows& map, int h, int v, int hmax, int vmax, int mcuWidth, int mcuHeight, int planeWidth)
{
    map.Allocate(mcuHeight, std::size_t(mcuWidth));
    for (int y = 0; y < mcuHeight; ++y) {
        int a = ((2 * y + 1) * v) / (2 * vmax);
        for (int x = 0; x < mcuWidth; ++x) {
            int b = ((2 * x + 1) * h) / (2 * hmax);
            map[y][x] = a * planeWidth + b;
        }
    }
}

void BuildRowsGrey(const RowContext& c)
{
    const int width = c.PlaneWidth(0);
    for (int r = 0; r < 8; ++r) {
        std::uint8_t* out = (*c.rows)[r];
        const std::int16_t* row = c.planes[0] + std::ptrdiff_t(r) * width;
        for (int i = 0; i < width; ++i)
            out[i] = std::uint8_t(row[i]);
    }
}

void BuildRowsYCbCr(const RowContext& c) { BuildLinesYCbCr(c); }
void BuildRowsDirect(const RowContext& c) { BuildLinesDirect(c); }

void BuildRowsYCbCrMapped(const RowContext& c)
{
    const ColourTables& t = kColour;
    for (int m = 0; m < c.mcusPerRow; ++m) {
        const std::int16_t* sy = c.planes[0] + 8 * c.h[0] * m;
        const std::int16_t* scb = c.planes[1] + 8 * c.h[1] * m;
        const std::int16_t* scr = c.planes[2] + 8 * c.h[2] * m;
        for (int y = 0; y < c.mcuHeight; ++y) {
            std::uint8_t* out = (*c.rows)[y] + 3 * m * c.mcuWidth;
            const std::int32_t* my = (*c.maps[0])[y];
            const std::int32_t* mcb = (*c.maps[1])[y];
            const std::int32_t* mcr = (*c.maps[2])[y];
            for (int x = 0; x < c.mcuWidth; ++x, out += 3) {
                int yy = sy[my[x]], cb = scb[mcb[x]] & 0xFF, cr = scr[mcr[x]] & 0xFF;
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
            const std::int16_t* s = c.planes[k] + 8 * c.h[k] * m;
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
