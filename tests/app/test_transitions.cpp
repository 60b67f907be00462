// Transitions: every variant ends with the target equal to the source, the
// plans have the copy counts and places of the known cases, the dispatcher
// maps its random draw onto the right variant, and the copies are paced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/transition_pace.h"
#include "app/transition_plan.h"
#include "app/transitions.h"
#include "fake_platform.h"
#include "framework/crt_rand.h"
#include "raster/dc.h"

namespace tp = transition_plan;
namespace tpace = transition_pace;
using tp::i64;

namespace {
// A memory DC that records every rectangle a drawing operation changed.
class RecordingDC : public CDC {
public:
    std::vector<RECT> changes;

protected:
    void OnChanged(const RECT& rc) override { changes.push_back(rc); }
};

struct Canvas {
    Canvas(int w, int h) : src(w, h), dst(w, h)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                src.Row(y)[x] = std::uint32_t(x * 7919 + y * 104729) & 0xFFFFFF;
        dst.Fill(0xABCDEF);
        srcDC.AttachSurface(&src);
        dstDC.AttachSurface(&dst);
    }
    bool Equal() const
    {
        return std::equal(src.Pixels(), src.Pixels() + std::size_t(src.Width()) * std::size_t(src.Height()),
                          dst.Pixels());
    }
    CSurface src, dst;
    CDC srcDC;
    RecordingDC dstDC;
};

// Runs variant k of the dispatcher's table directly.
void RunVariant(int k, CDC* dst, CDC* src, int W, int H, DWORD duration = 0)
{
    RunTransitionVariant(k, dst, src, W, H, duration);
}

// The plan of variant k (0..15) as clipped, non-empty rectangles.
std::vector<RECT> PlanOf(int k, int W, int H)
{
    std::vector<RECT> out;
    auto add = [&](i64 x, i64 y, i64 w, i64 h) {
        if (w <= 0 || h <= 0)
            return;
        RECT r{LONG(std::max<i64>(x, 0)), LONG(std::max<i64>(y, 0)), LONG(std::min<i64>(x + w, W)),
               LONG(std::min<i64>(y + h, H))};
        if (!IsRectEmpty(r))
            out.push_back(r);
    };
    if (k < 2)
        tp::Blinds(W, H, k, add);
    else if (k < 6)
        tp::Blocks(W, H, k - 2, add);
    else if (k < 10)
        tp::Split(W, H, k - 6, add);
    else if (k < 14)
        tp::Wipe(W, H, k - 10, add);
    else
        tp::Frames(W, H, k - 14, add);
    return out;
}

template <class Plan>
std::vector<std::vector<i64>> Collect(Plan plan)
{
    std::vector<std::vector<i64>> rects;
    plan([&](i64 x, i64 y, i64 w, i64 h) { rects.push_back({x, y, w, h}); });
    return rects;
}

class TransitionTest : public ::testing::Test {
protected:
    void SetUp() override { AfxSetPlatform(&fake); }
    void TearDown() override { AfxSetPlatform(nullptr); }
    FakePlatform fake;
};
} // namespace

TEST_F(TransitionTest, EveryVariantLeavesTheTargetEqualToTheSource)
{
    const SIZE sizes[] = {{800, 600}, {801, 601}, {1, 1}, {1280, 1024}, {17, 17}, {33, 9}, {1, 70}, {70, 1}};
    for (SIZE s : sizes) {
        for (int k = 0; k < kTransitionCount; ++k) {
            Canvas c(s.cx, s.cy);
            RunVariant(k, &c.dstDC, &c.srcDC, s.cx, s.cy);
            EXPECT_TRUE(c.Equal()) << "variant " << k << " at " << s.cx << "x" << s.cy;
        }
    }
}

TEST_F(TransitionTest, PlansCoverEveryPixelAndMatchTheirCopyCounts)
{
    // Small areas exercise every remainder of the 8-, 16-, 32- and 64-pixel
    // steps, including the widths 16m + 1 whose middle column only the
    // centre frame reaches.
    for (int W = 1; W <= 140; W += 1) {
        for (int H : {1, 2, 7, 8, 9, 17, 31, 63, 64, 65, 100}) {
            for (int k = 0; k < 16; ++k) {
                std::vector<char> hit(std::size_t(W) * std::size_t(H), 0);
                for (const RECT& r : PlanOf(k, W, H))
                    for (LONG y = r.top; y < r.bottom; ++y)
                        for (LONG x = r.left; x < r.right; ++x)
                            hit[std::size_t(y) * std::size_t(W) + std::size_t(x)] = 1;
                ASSERT_EQ(std::count(hit.begin(), hit.end(), 0), 0) << "variant " << k << " at " << W << "x" << H;
            }
            for (int v = 0; v < 4; ++v) {
                if (v < 2) {
                    EXPECT_EQ(i64(Collect([&](auto f) { tp::Blinds(W, H, v, f); }).size()), tp::BlindsCopies(W, H, v));
                    EXPECT_EQ(i64(Collect([&](auto f) { tp::Frames(W, H, v, f); }).size()), tp::FramesCopies(W, H));
                }
                EXPECT_EQ(i64(Collect([&](auto f) { tp::Blocks(W, H, v, f); }).size()), tp::BlocksCopies(W, H));
                EXPECT_EQ(i64(Collect([&](auto f) { tp::Split(W, H, v, f); }).size()), tp::SplitCopies(W, H, v));
                EXPECT_EQ(i64(Collect([&](auto f) { tp::Wipe(W, H, v, f); }).size()), tp::WipeCopies(W, H, v));
            }
        }
    }
}

TEST_F(TransitionTest, KnownCountsAt800By600)
{
    const i64 W = 800, H = 600;
    auto blinds = Collect([&](auto f) { tp::Blinds(W, H, 0, f); });
    ASSERT_EQ(blinds.size(), 112u); // bands of 50, 7 passes
    for (int j = 0; j < 16; ++j) {  // the seventh pass opens x = 48..55 of each band
        const i64 p = 48 + 50 * j;
        EXPECT_EQ(blinds[std::size_t(6 * 16 + j)], (std::vector<i64>{p, 0, std::min<i64>(8, 800 - p), 600}));
    }
    EXPECT_EQ(tp::BlocksCopies(W, H), 130);
    EXPECT_EQ(Collect([&](auto f) { tp::Split(W, H, 0, f); }).size(), 100u);
    EXPECT_EQ(Collect([&](auto f) { tp::Split(W, H, 1, f); }).size(), 100u);
    EXPECT_EQ(Collect([&](auto f) { tp::Split(W, H, 2, f); }).size(), 76u);
    EXPECT_EQ(Collect([&](auto f) { tp::Split(W, H, 3, f); }).size(), 76u);
    EXPECT_EQ(Collect([&](auto f) { tp::Wipe(W, H, 0, f); }).size(), 75u);

    auto frames = Collect([&](auto f) { tp::Frames(W, H, 1, f); });
    ASSERT_EQ(frames.size(), 200u); // s = 6, 50 frames
    EXPECT_EQ(frames[0], (std::vector<i64>{0, 0, 800, 6}));
    EXPECT_EQ(frames[199 - 1][3], 0); // innermost sides are 0 high
    EXPECT_EQ(frames[199][3], 0);

    // The dissolve numbers 25 x 19 squares.
    Canvas c(800, 600);
    TransDissolve(&c.dstDC, &c.srcDC, 800, 600, 0);
    EXPECT_EQ(c.dstDC.changes.size(), 475u);
}

TEST_F(TransitionTest, KnownCasesAtOtherSizes)
{
    auto frames = Collect([&](auto f) { tp::Frames(1280, 1024, 0, f); });
    ASSERT_EQ(frames.size(), 320u); // s = 7, 80 frames, the centre first
    EXPECT_EQ(frames[0], (std::vector<i64>{8 * 79, 79 * 7, 1280 - 16 * 79, 7}));

    auto split = Collect([&](auto f) { tp::Split(801, 601, 0, f); });
    ASSERT_EQ(split.size(), 102u); // half = 401, 51 steps
    EXPECT_EQ(split[0], (std::vector<i64>{401, 0, 8, 601}));
    EXPECT_EQ(split.back(), (std::vector<i64>{0, 0, 8, 601})); // the last left strip is placed at 0

    auto wipe = Collect([&](auto f) { tp::Wipe(17, 5, 1, f); });
    EXPECT_EQ(wipe, (std::vector<std::vector<i64>>{{9, 0, 8, 5}, {1, 0, 8, 5}, {0, 0, 8, 5}}));
}

TEST_F(TransitionTest, DispatcherRunsTheVariantOfItsRandomDraw)
{
    std::vector<bool> seen(kTransitionCount, false);
    for (std::uint32_t seed = 0; std::count(seen.begin(), seen.end(), false) > 0 && seed < 10000; ++seed) {
        crt::srand(seed);
        const int k = crt::rand() % kTransitionCount;
        if (seen[std::size_t(k)])
            continue;
        seen[std::size_t(k)] = true;
        crt::srand(seed);
        Canvas c(200, 150);
        RunTransition(&c.dstDC, &c.srcDC, 200, 150, 0);
        EXPECT_TRUE(c.Equal()) << "variant " << k;
        if (k < 16)
            EXPECT_EQ(c.dstDC.changes, PlanOf(k, 200, 150)) << "variant " << k;
        else
            EXPECT_EQ(c.dstDC.changes.size(), 7u * 5u);
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0);
}

TEST_F(TransitionTest, DissolveReseedsWithTheTickCountAndDrawsOncePerSquare)
{
    fake.ticks = 5000;
    Canvas c(100, 70); // 4 x 3 squares
    TransDissolve(&c.dstDC, &c.srcDC, 100, 70, 0);

    // The seed is the tick count read on entry (the fake advances it by one).
    crt::srand(5001);
    std::vector<int> list(12);
    for (int i = 0; i < 12; ++i)
        list[std::size_t(i)] = i;
    std::vector<RECT> expected;
    while (!list.empty()) {
        const std::size_t r = std::size_t(crt::rand()) % list.size();
        const int i = list[r];
        list.erase(list.begin() + std::ptrdiff_t(r));
        const LONG x = 32 * (i % 4), y = 32 * (i / 4);
        expected.push_back(RECT{x, y, std::min<LONG>(x + 32, 100), std::min<LONG>(y + 32, 70)});
    }
    const std::uint32_t after = crt::state();
    EXPECT_EQ(c.dstDC.changes, expected);
    crt::srand(5001);
    for (int i = 0; i < 12; ++i)
        crt::rand();
    EXPECT_EQ(crt::state(), after);
}

TEST_F(TransitionTest, EmptyAreaReturnsAtOnceWithoutDrawing)
{
    crt::srand(77);
    const std::uint32_t before = crt::state();
    Canvas c(10, 10);
    RunTransition(&c.dstDC, &c.srcDC, 0, 10, 0);
    RunTransition(&c.dstDC, &c.srcDC, 10, 0, 0);
    for (int k = 0; k < kTransitionCount; ++k) {
        RunVariant(k, &c.dstDC, &c.srcDC, 0, 0);
        RunVariant(k, &c.dstDC, &c.srcDC, -3, 10);
    }
    EXPECT_EQ(crt::state(), before);
    EXPECT_TRUE(c.dstDC.changes.empty());
}

TEST_F(TransitionTest, EveryCopyReachesAWindowAsOnePresentation)
{
    CWnd owner;
    HWND h = fake.CreateWindow(&owner, 0, WS_POPUP, RECT{0, 0, 800, 600}, nullptr);
    owner.m_hWnd = h;
    CClientDC dc(&owner);
    CSurface src(800, 600);
    src.Fill(0x123456);
    CDC srcDC;
    srcDC.AttachSurface(&src);

    TransBlinds(&dc, &srcDC, 800, 600, 0, 0);
    EXPECT_EQ(fake.presents.size(), 112u);
    fake.presents.clear();
    TransWipe(&dc, &srcDC, 800, 600, 3, 0);
    EXPECT_EQ(fake.presents.size(), 75u);
    fake.presents.clear();
    TransFrames(&dc, &srcDC, 800, 600, 0, 0); // the two innermost sides are empty and skipped
    EXPECT_EQ(fake.presents.size(), 198u);
}

TEST_F(TransitionTest, CopiesArePacedByTheTickCount)
{
    Canvas c(80, 600);
    // Duration 0, 75 copies: stretched to the shortest effect time.
    DWORD start = fake.ticks;
    TransWipe(&c.dstDC, &c.srcDC, 80, 600, 0, 0);
    EXPECT_GE(fake.ticks - start, DWORD(tpace::kMinTotalMs));
    EXPECT_LE(fake.ticks - start, DWORD(tpace::kMinTotalMs) + 4u);

    // 750 ms over 75 copies: 10 ms a copy, each copy followed by its wait.
    start = fake.ticks;
    fake.tickSleeps = 0;
    TransWipe(&c.dstDC, &c.srcDC, 80, 600, 0, 750);
    EXPECT_GE(fake.ticks - start, 750u);
    EXPECT_LE(fake.ticks - start, 754u);
    EXPECT_EQ(fake.tickSleeps, 75u);
}

namespace {
// A real clock to the microsecond: a tick read costs 1 us, a sleep wakes
// 60 us after its tick, as a loaded desktop would.
class MicrosecondClock : public FakePlatform {
public:
    std::int64_t us = 0;
    std::vector<std::int64_t> wakes; // when each sleep ended

    DWORD GetTickCount() override { return DWORD(std::uint64_t(++us / 1000)); }
    void SleepUntilTick(DWORD tick) override
    {
        const DWORD ahead = tick - DWORD(std::uint64_t(us / 1000));
        if (ahead != 0 && ahead < 0x80000000u)
            us = (us / 1000 + ahead) * 1000 + 60;
        wakes.push_back(us);
    }
};
} // namespace

TEST(TransitionPaceTest, EveryEffectTakesAQuarterSecondToTwoAndAHalfSpreadEvenly)
{
    MicrosecondClock clock;
    AfxSetPlatform(&clock);
    CDC dst, src; // no surfaces: the copies cost nothing, only the pacing is timed
    const SIZE sizes[] = {{152, 112}, {1920, 1080}, {7680, 4320}};
    for (SIZE s : sizes) {
        for (int k = 0; k < kTransitionCount; ++k) {
            clock.wakes.clear();
            clock.us += 12345; // any phase of the millisecond
            const std::int64_t begin = clock.us;
            RunTransitionVariant(k, &dst, &src, s.cx, s.cy, 0);
            const std::int64_t wall = clock.us - begin;
            EXPECT_GE(wall, 250'000) << "variant " << k << " at " << s.cx << "x" << s.cy;
            EXPECT_LE(wall, 2'500'000) << "variant " << k << " at " << s.cx << "x" << s.cy;
            // Evenly spread: no gap between two wakes is longer than one
            // copy's share of the time in whole ticks, plus the phase of the
            // tick and the wake-up.
            const i64 copies = k < 16 ? i64(PlanOf(k, s.cx, s.cy).size()) : ((s.cx + 31) / 32) * ((s.cy + 31) / 32);
            const std::int64_t gap = ((wall / 1000 + copies - 1) / copies + 1) * 1000 + 100;
            std::int64_t last = begin;
            for (std::int64_t w : clock.wakes) {
                EXPECT_LE(w - last, gap) << "variant " << k << " at " << s.cx << "x" << s.cy;
                last = w;
            }
        }
    }
    AfxSetPlatform(nullptr);
}

TEST(TransitionPaceTest, TheOriginalPacingStaysWhereItFitsTheBounds)
{
    // Duration 0: one millisecond a copy, from 250 to 2490 copies.
    for (i64 copies : {250, 510, 2040, 2490}) {
        EXPECT_EQ(tpace::TotalMs(copies, 0), copies);
        for (i64 i : {i64(0), copies / 2, copies - 1})
            EXPECT_EQ(tpace::DueMs(i, copies, copies), i + 1);
    }
    EXPECT_EQ(tpace::TotalMs(75, 750), 750);     // the step of a duration
    EXPECT_EQ(tpace::TotalMs(75, 0), 250);       // too quick: stretched
    EXPECT_EQ(tpace::TotalMs(32400, 0), 2490);   // too slow: squeezed
    EXPECT_EQ(tpace::TotalMs(10, 100000), 2490); // a long duration too
}

TEST_F(TransitionTest, ATickCountThatWrapsInsideACopyEndsTheEffect)
{
    // 8 copies over 250 ms starting 128 ms before the count wraps: the wrap
    // falls between the reads around a copy, whose wait must still be short.
    std::vector<DWORD> waits;
    fake.onSleepUntilTick = [&](DWORD tick) {
        waits.push_back(tick - fake.ticks);
        fake.ticks = tick;
    };
    fake.ticks = 0xFFFFFF80u;
    Canvas c(64, 64);
    TransWipe(&c.dstDC, &c.srcDC, 64, 64, 0, 0);
    EXPECT_TRUE(c.Equal());
    EXPECT_GE(fake.ticks, 250u - 128u); // wrapped, and the whole time passed
    EXPECT_LT(fake.ticks, 0x100u);
    ASSERT_EQ(waits.size(), 8u);
    for (DWORD w : waits)
        EXPECT_LE(w, 32u);
}

TEST_F(TransitionTest, WaitTicksPassesTheGivenTime)
{
    fake.ticks = 100;
    WaitTicks(50);
    EXPECT_GT(fake.ticks, 150u);
    EXPECT_LE(fake.ticks, 153u);
    EXPECT_EQ(fake.tickSleeps, 1u); // slept, not spun
    // A counter that wraps below the start ends the wait.
    fake.ticks = 0xFFFFFFD0u;
    fake.tickStep = 0x20;
    WaitTicks(0x10000);
    EXPECT_LT(fake.ticks, 0x100u);
}
