// The board's shared state, the board host pointer and the angle table.
#include "board/board_globals.h"

#include <array>
#include <cmath>

#include "board/board_host.h"

RECT g_rcDirty{};
BITMAPINFOHEADER g_bihActive{};
const BYTE* g_pActiveBits = nullptr;
int g_nAnimSpeed = 8;
CPieceGroup* g_pTurningGroup = nullptr;

namespace {
IBoardHost* g_pBoardHost = nullptr;

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

IBoardHost* GetBoardHost() { return g_pBoardHost; }
void SetBoardHost(IBoardHost* host) { g_pBoardHost = host; }

int Sin64(int angle) { return Angles().sin64[std::size_t(Wrap(angle))]; }
int Cos64(int angle) { return Angles().cos64[std::size_t(Wrap(angle))]; }
