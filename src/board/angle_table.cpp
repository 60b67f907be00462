// The angle table: 360 sines and cosines times 64, truncated toward zero,
// made on first use. Angles outside 0..359 wrap.
#include "board/angle_table.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace {
struct AngleTable {
    std::array<int, 360> sin64{}, cos64{};
    AngleTable()
    {
        for (int a = 0; a < 360; ++a) {
            double r = a * kDegToRad;
            sin64[std::size_t(a)] = int(std::sin(r) * 64);
            cos64[std::size_t(a)] = int(std::cos(r) * 64);
        }
    }
};

const AngleTable& Angles()
{
    static const AngleTable table;
    return table;
}

int Wrap(int angle) { return ((angle % 360) + 360) % 360; }
} // namespace

int Sin64(int angle) { return Angles().sin64[std::size_t(Wrap(angle))]; }
int Cos64(int angle) { return Angles().cos64[std::size_t(Wrap(angle))]; }
