// The plain versions of the line kernels: colour terms read from the
// tables, clamping and interleaving one sample at a time. The reference the
// vector versions are tested against, and the path of targets without them.
#include "jpeg/kernels.h"
#include "jpeg/tables.h"

namespace Velt {

namespace {

inline std::uint8_t Clamp(int v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

} // namespace

void Plain::ChromaTerms(const std::int16_t* cb, const std::int16_t* cr, int count, std::int16_t* red,
                        std::int16_t* green, std::int16_t* blue)
{
    const ColourTables& t = kColour;
    for (int i = 0; i < count; ++i) {
        int b = cb[i] & 0xFF, r = cr[i] & 0xFF;
        red[i] = t.red[r];
        green[i] = std::int16_t((t.green1[r] + t.green2[b]) / 4);
        blue[i] = t.blue[b];
    }
}

void Plain::ApplyTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                       const std::int16_t* blue, int count, std::uint8_t* out)
{
    for (int i = 0; i < count; ++i, out += 3) {
        out[0] = Clamp(y[i] + red[i]);
        out[1] = Clamp(y[i] + green[i]);
        out[2] = Clamp(y[i] + blue[i]);
    }
}

void Plain::ApplyHalfTerms(const std::int16_t* y, const std::int16_t* red, const std::int16_t* green,
                           const std::int16_t* blue, int count, std::uint8_t* out)
{
    for (int i = 0; i < count; ++i, out += 3) {
        out[0] = Clamp(y[i] + red[i / 2]);
        out[1] = Clamp(y[i] + green[i / 2]);
        out[2] = Clamp(y[i] + blue[i / 2]);
    }
}

void Plain::InterleaveLine(const std::int16_t* c0, const std::int16_t* c1, const std::int16_t* c2, int count,
                           std::uint8_t* out)
{
    for (int i = 0; i < count; ++i, out += 3) {
        out[0] = std::uint8_t(c0[i]);
        out[1] = std::uint8_t(c1[i]);
        out[2] = std::uint8_t(c2[i]);
    }
}

void Plain::DoubleLine(const std::int16_t* in, int count, std::int16_t* out)
{
    for (int i = 0; i < count; ++i)
        out[2 * i] = out[2 * i + 1] = in[i];
}

} // namespace Velt
