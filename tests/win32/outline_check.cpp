// Outline arithmetic check, built natively and for both Windows targets:
// the worked example of the outline geometry (the first and last samples
// of a knobbed edge and its highest points) and a checksum of whole boards
// (cell size, outlines at every angle, regions). The samples round doubles
// to integers, so a target whose double arithmetic is carried in wider
// registers drifts by one sub-pixel unit here and there and changes the
// checksum. Prints "outline ok <checksum>" and exits 0 when both hold;
// otherwise names what differs and exits 1.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/board_host.h"
#include "board/jigsaw_board.h"
#include "board/spline_piece.h"
#include "common/test_picture.h"
#include "framework/crt_rand.h"

namespace {

// The checksum the reference build (x86_64, SSE2 doubles) gives.
constexpr std::uint32_t kBoardChecksum = 0x112579e1;

class QuietHost : public IBoardHost {
public:
    RECT GetClientRect() override { return RECT{0, 0, 1024, 768}; }
    int GetSpeed() override { return 8; }
    void RedrawBoard() override {}
    void PumpMessages() override {}
    void SetRefineTimer() override {}
    void KillRefineTimer() override {}
};

struct Fnv {
    std::uint32_t h = 2166136261u;
    void Add(std::int32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            h ^= std::uint32_t(v) >> (8 * i) & 0xFF;
            h *= 16777619u;
        }
    }
};

bool WorkedExample()
{
    CJigsawDoc doc;
    CJigsawBoard board(doc);
    board.m_bihActive.biWidth = 800;
    board.m_bihActive.biHeight = 600;
    const POINT corners[4] = {{6400, 3200}, {12800, 3200}, {12800, 9600}, {6400, 9600}};
    CSplinePiece piece(board, corners, TRUE);
    // Raw samples: centre at the origin and zoom 6400 make the final
    // division exact.
    piece.m_ptCentre = POINT{0, 0};
    piece.m_nZoom = 6400;
    piece.Tessellate();
    const std::vector<POINT> expected = {{6400, 3200},  {6933, 3200},  {7306, 3197},  {7740, 3177},  {8167, 3123},
                                         {10679, 3018}, {11033, 3123}, {11460, 3177}, {11894, 3197}, {12800, 3200}};
    if (piece.m_outline.GetSize() < 27)
        return false;
    std::vector<POINT> got;
    for (int i = 0; i < 5; ++i)
        got.push_back(piece.m_outline.GetData()[i]);
    for (int i = 22; i < 27; ++i)
        got.push_back(piece.m_outline.GetData()[i]);
    int highest = 0;
    for (int i = 0; i < 27; ++i) {
        const POINT p = piece.m_outline.GetData()[i];
        if (p.y < 1167)
            return false;
        if (p.y == 1167 && (p.x == 9352 || p.x == 9848))
            ++highest;
    }
    bool ok = highest == 2;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (got[i].x != expected[i].x || got[i].y != expected[i].y) {
            std::printf("sample %zu is (%ld, %ld), not (%ld, %ld)\n", i, long(got[i].x), long(got[i].y),
                        long(expected[i].x), long(expected[i].y));
            ok = false;
        }
    }
    return ok;
}

std::uint32_t BoardChecksum()
{
    QuietHost host;
    Fnv fnv;
    for (std::uint32_t seed : {1u, 424242u, 1700000000u}) {
        CJigsawDoc doc;
        MakePicture(doc, 797, 601);
        CJigsawBoard board(doc);
        board.SetHost(&host);
        crt::srand(seed);
        board.NewBoard();
        fnv.Add(board.m_nRows);
        fnv.Add(board.m_nCols);
        fnv.Add(board.m_nBoardZoom);
        for (auto pos = board.m_pieces.GetHeadPosition(); pos;) {
            CPieceGroup* group = board.m_pieces.GetNext(pos);
            for (int i = 0; i < group->m_arrPieces.GetSize(); ++i) {
                auto* piece = static_cast<CSplinePiece*>(group->m_arrPieces[i]);
                // Every angle, so that every sine and cosine is taken.
                for (int turn = 0; turn < 360; ++turn) {
                    piece->Rotate(1, 0);
                    fnv.Add(piece->m_nSin64);
                    fnv.Add(piece->m_nCos64);
                    for (int k = 0; k < piece->m_outline.GetSize(); ++k) {
                        fnv.Add(piece->m_outline.GetData()[k].x);
                        fnv.Add(piece->m_outline.GetData()[k].y);
                    }
                }
                RECT box{};
                piece->m_rgn.GetRgnBox(&box);
                fnv.Add(box.left);
                fnv.Add(box.top);
                fnv.Add(box.right);
                fnv.Add(box.bottom);
            }
        }
    }
    return fnv.h;
}

} // namespace

int main()
{
    const bool example = WorkedExample();
    const std::uint32_t sum = BoardChecksum();
    if (!example)
        std::printf("the worked example of the outline does not hold\n");
    if (sum != kBoardChecksum)
        std::printf("board checksum %08x, expected %08x\n", unsigned(sum), unsigned(kBoardChecksum));
    if (!example || sum != kBoardChecksum)
        return 1;
    std::printf("outline ok %08x\n", unsigned(sum));
    return 0;
}
