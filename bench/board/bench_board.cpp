// Board benchmarks at 1920 x 1080: a new board (cut, outlines, regions,
// scatter), its first composition (every image built with shading), and
// one autoplay step (one piece moved, its dirty area refreshed and shown),
// also at 3840 x 2160, each against one full-frame memory copy of the same
// size as reference. scripts/bench prints the ratios.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "board/board_host.h"
#include "board/jigsaw_board.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "framework/crt_rand.h"
#include "raster/dc.h"

namespace {
constexpr LONG kW = 1920, kH = 1080;

// The frame height for a benchmark's width argument (16:9).
LONG HeightFor(LONG w) { return w * 9 / 16; }

struct Host : IBoardHost {
    explicit Host(LONG w = kW, LONG h = kH) : client{0, 0, w, h} {}
    RECT client;
    RECT GetClientRect() override { return client; }
    int GetSpeed() override { return 8; }
    void RedrawBoard() override {}
    void PumpMessages() override {}
    void SetRefineTimer() override {}
    void KillRefineTimer() override {}
};

// An 800 x 600 picture with structure in every direction.
void Picture(CJigsawDoc& doc)
{
    doc.m_bih = BITMAPINFOHEADER{40, 800, 600, 1, 24, 0, DWORD(PictureStride(800) * 600), 0, 0, 0, 0};
    doc.m_pBits = std::make_unique<BYTE[]>(doc.m_bih.biSizeImage);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            BYTE* p = doc.m_pBits.get() + std::size_t(y) * PictureStride(800) + std::size_t(x) * 3;
            p[0] = BYTE(x ^ y);
            p[1] = BYTE(x * 3);
            p[2] = BYTE(y * 5);
        }
}

void Cut(CJigsawBoard& board, int pieces)
{
    board.ClearBoard();
    board.m_nPieces = pieces;
    board.CutPicture();
    board.ScatterPieces();
}

// The composition path of one presentation: background over the dirty
// area, every piece drawn, the dirty area copied to the window.
void Present(CJigsawBoard& board, CDC& buffer, CDC& window)
{
    const SIZE b = board.GetBoardSize();
    const CSurface* s = buffer.GetSurface();
    RECT d = board.m_rcDirty;
    OffsetRect(d, (s->Width() - b.cx) / 2, (s->Height() - b.cy) / 2);
    buffer.PatBlt(d.left, d.top, d.right - d.left, d.bottom - d.top, BLACKNESS);
    board.DrawBoard(&buffer, &d);
    window.BitBlt(d.left, d.top, d.right - d.left, d.bottom - d.top, &buffer, d.left, d.top, SRCCOPY);
    SetRectEmpty(board.m_rcDirty);
}

void BM_NewBoard37(benchmark::State& state)
{
    Host host;
    CJigsawDoc doc;
    Picture(doc);
    CJigsawBoard board(doc);
    board.SetHost(&host);
    crt::srand(1);
    int pieces = 0;
    for (auto _ : state) {
        Cut(board, 37);
        pieces = board.m_pieces.GetCount();
    }
    state.counters["pieces"] = pieces;
    state.counters["per_piece_us"] = benchmark::Counter(double(pieces) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NewBoard37)->Unit(benchmark::kMillisecond);

void BM_FirstComposition(benchmark::State& state)
{
    Host host;
    CJigsawDoc doc;
    Picture(doc);
    CJigsawBoard board(doc);
    board.SetHost(&host);
    CSurface buf(kW, kH), win(kW, kH);
    CDC bdc, wdc;
    bdc.AttachSurface(&buf);
    wdc.AttachSurface(&win);
    crt::srand(2);
    for (auto _ : state) {
        state.PauseTiming();
        Cut(board, 32);
        board.m_rcDirty = RECT{-1000, -1000, 3000, 3000};
        state.ResumeTiming();
        Present(board, bdc, wdc);
    }
}
BENCHMARK(BM_FirstComposition)->Unit(benchmark::kMillisecond);

void BM_AutoplayStep(benchmark::State& state)
{
    const LONG w = LONG(state.range(0)), h = HeightFor(w);
    Host host(w, h);
    CJigsawDoc doc;
    Picture(doc);
    CJigsawBoard board(doc);
    board.SetHost(&host);
    crt::srand(3);
    Cut(board, 32); // 5 x 7 = 35 pieces
    CSurface buf(w, h), win(w, h);
    CDC bdc, wdc;
    bdc.AttachSurface(&buf);
    wdc.AttachSurface(&win);
    board.m_rcDirty = RECT{-1000, -1000, 3000, 3000};
    Present(board, bdc, wdc);
    CPieceGroup* g = board.m_pieces.GetAt(board.m_pieces.GetHeadPosition());
    for (auto& p : {g->m_arrPieces[0]}) {
        p->Rotate(-p->m_nAngle, 1); // upright, full resolution, as when sliding home
        p->m_nReduction = 1;
    }
    Present(board, bdc, wdc);
    LONG dir = 1;
    for (auto _ : state) {
        dir = -dir;
        g->Translate(POINT{dir * 1200, dir * 600});
        Present(board, bdc, wdc);
    }
}
BENCHMARK(BM_AutoplayStep)->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);

void BM_FrameCopyReference(benchmark::State& state)
{
    const std::size_t pixels = std::size_t(state.range(0)) * std::size_t(HeightFor(LONG(state.range(0))));
    std::vector<std::uint32_t> a(pixels, 1), b(pixels, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameCopyReference)->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
