// Constant tables: zigzag order (T.81 Figure A.6, in the column-by-column
// block layout), AAN scale factors and the colour tables, the latter
// computed by constant evaluation so that they are ready before any decoder
// runs (no start-up code, no locking).
#include "jpeg/tables.h"

namespace Velt {

const std::uint8_t kZigzag[80] = {
     0,  8,  1,  2,  9, 16, 24, 17, 10,  3,  4, 11, 18, 25, 32, 40,
    33, 26, 19, 12,  5,  6, 13, 20, 27, 34, 41, 48, 56, 49, 42, 35,
    28, 21, 14,  7, 15, 22, 29, 36, 43, 50, 57, 58, 51, 44, 37, 30,
    23, 31, 38, 45, 52, 59, 60, 53, 46, 39, 47, 54, 61, 62, 55, 63,
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
};

const std::int32_t kAanScale[64] = {
     8192, 11363, 10703,  9633,  8192,  6436,  4433,  2260,
    11363, 15760, 14846, 13361, 11363,  8928,  6149,  3135,
    10703, 14846, 13985, 12586, 10703,  8410,  5793,  2953,
     9633, 13361, 12586, 11327,  9633,  7568,  5213,  2658,
     8192, 11363, 10703,  9633,  8192,  6436,  4433,  2260,
     6436,  8928,  8410,  7568,  6436,  5057,  3483,  1776,
     4433,  6149,  5793,  5213,  4433,  3483,  2399,  1223,
     2260,  3135,  2953,  2658,  2260,  1776,  1223,   624,
};

namespace {
constexpr ColourTables MakeColourTables()
{
    ColourTables t{};
    for (int i = 0; i < 256; ++i) {
        t.red[i] = std::int16_t((1436 * i - 183296) >> 10);
        t.blue[i] = std::int16_t((1815 * i - 231808) >> 10);
        t.green1[i] = std::int16_t((93696 - 731 * i) >> 8);
        t.green2[i] = std::int16_t(((45184 - 352 * i) >> 8) + 2);
    }
    return t;
}
} // namespace

constinit const ColourTables kColour = MakeColourTables();

} // namespace Velt
