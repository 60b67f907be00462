// Raster benchmarks: a piece image (300 x 300, 24-bit) drawn through its
// outline region onto a 1920 x 1080 surface the way pieces are drawn, a
// whole-frame BitBlt, and a plain memcpy of the same frame's bytes as the
// reference. After the run the ratios to the reference are printed; only
// ratios are meaningful, never the absolute times of one machine.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "raster/dc.h"

namespace {
constexpr int kFrameW = 1920, kFrameH = 1080;
constexpr int kPiece = 300;

// A piece-like outline: a blob with four lobes and small ripples, so that
// some rows have more than one run.
CRgn PieceRegion()
{
    std::vector<POINT> pts;
    for (int i = 0; i < 256; ++i) {
        const double t = i * 6.283185307179586 / 256;
        const double r = 118 + 24 * std::cos(4 * t) + 6 * std::cos(12 * t);
        pts.push_back({LONG(150 + r * std::cos(t)), LONG(150 + r * std::sin(t))});
    }
    CRgn rgn;
    rgn.CreatePolygonRgn(pts.data(), int(pts.size()), ALTERNATE);
    return rgn;
}

struct PieceImage {
    BITMAPINFOHEADER bih{};
    std::vector<BYTE> bits;
    PieceImage()
    {
        bih.biSize = sizeof bih;
        bih.biWidth = kPiece;
        bih.biHeight = kPiece;
        bih.biPlanes = 1;
        bih.biBitCount = 24;
        const int stride = (3 * kPiece + 3) / 4 * 4;
        bits.resize(std::size_t(stride) * kPiece);
        for (std::size_t i = 0; i < bits.size(); ++i)
            bits[i] = BYTE(i * 31 + 7);
    }
};

std::int64_t CoveredPixels(const CRgn& rgn)
{
    std::int64_t n = 0;
    for (LONG y = rgn.Top(); y < rgn.Bottom(); ++y) {
        int count = 0;
        const CRgn::Span* s = rgn.RowSpans(y, count);
        for (int i = 0; i < count; ++i)
            n += s[i].x1 - s[i].x0;
    }
    return n;
}

void BM_MemcpyFrame(benchmark::State& state)
{
    std::vector<std::uint32_t> a(std::size_t(kFrameW) * kFrameH, 1), b(a.size(), 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(a.size() * sizeof(std::uint32_t)));
}

void BM_BitBltFrame(benchmark::State& state)
{
    CSurface src(kFrameW, kFrameH), dst(kFrameW, kFrameH);
    src.Fill(0x00336699);
    CDC srcDC, dstDC;
    srcDC.AttachSurface(&src);
    dstDC.AttachSurface(&dst);
    for (auto _ : state) {
        dstDC.BitBlt(0, 0, kFrameW, kFrameH, &srcDC, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kFrameW * kFrameH * 4);
}

// The piece-drawing sequence: move the origin, select and move the outline
// as the clip region, copy the image, restore.
void BM_SetDIBitsPiece(benchmark::State& state)
{
    CSurface frame(kFrameW, kFrameH);
    CDC dc;
    dc.AttachSurface(&frame);
    dc.SetWindowOrg(-700, -300); // the board centred in the window
    const CRgn rgn = PieceRegion();
    const PieceImage img;
    const POINT off{37, 21};
    for (auto _ : state) {
        const POINT pt = dc.GetWindowOrg();
        dc.SetWindowOrg(pt.x - off.x, pt.y - off.y);
        dc.SelectClipRgn(&rgn);
        dc.OffsetClipRgn(off.x - pt.x, off.y - pt.y);
        dc.SetDIBitsToDevice(0, 0, kPiece, kPiece, 0, 0, 0, kPiece, img.bits.data(), &img.bih, DIB_RGB_COLORS);
        dc.SelectClipRgn(nullptr);
        dc.SetWindowOrg(pt.x, pt.y);
        benchmark::ClobberMemory();
    }
    state.counters["covered_px"] = double(CoveredPixels(rgn));
}

BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBltFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetDIBitsPiece)->Unit(benchmark::kMicrosecond);

// Console output as usual, keeping each benchmark's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {} // plain text, also in logs
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                ns[r.benchmark_name()] = r.GetAdjustedRealTime() * 1e3; // microseconds to ns
        ConsoleReporter::ReportRuns(runs);
    }
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto ref = reporter.ns.find("BM_MemcpyFrame");
    if (ref == reporter.ns.end() || ref->second <= 0)
        return 0;
    const double covered = double(CoveredPixels(PieceRegion()));
    const double frame = double(kFrameW) * kFrameH;
    std::printf("\nRatios to memcpy of one %dx%d frame (%.0f ns):\n", kFrameW, kFrameH, ref->second);
    for (const auto& [name, t] : reporter.ns)
        std::printf("  %-20s %8.3f\n", name.c_str(), t / ref->second);
    const auto piece = reporter.ns.find("BM_SetDIBitsPiece");
    if (piece != reporter.ns.end())
        std::printf("  piece time per covered pixel / memcpy time per frame pixel: %.2f (%.0f pixels covered)\n",
                    (piece->second / covered) / (ref->second / frame), covered);
    return 0;
}
