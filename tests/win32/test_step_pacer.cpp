// Pacing of board steps on Windows, against a fake display: 60 steps a
// second at every refresh rate from 60 Hz up, each step shown on a refresh,
// no skipped refresh at 60 Hz even when refreshes jitter, and the sleeping
// fallback where no compositor paces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "backends/win32/step_pacer.h"

namespace {

using w32::CStepPacer;

// A display refreshing every 1000 / hz ms, each refresh moved by up to
// `jitter` ms (alternately early and late); drawing a step takes `drawMs`.
struct FakeDisplay {
    double hz = 60;
    double jitter = 0;
    double drawMs = 1;
    double now = 0;
    long refreshes = 0;

    double RefreshTime(long n) const { return n * 1000.0 / hz + (n % 2 ? jitter : -jitter); }
    bool WaitRefresh()
    {
        long n = long(std::floor(now * hz / 1000.0));
        while (RefreshTime(n) <= now)
            ++n;
        now = RefreshTime(n);
        ++refreshes;
        return true;
    }
};

struct Paced {
    int steps = 0;
    double seconds = 0;
    double shortestMs = 1e9;
};

Paced Steps(FakeDisplay& d, int count, bool compositor = true)
{
    CStepPacer pacer;
    Paced r;
    double last = -1;
    const double start = d.now;
    for (int i = 0; i < count; ++i) {
        pacer.Wait([&] { return d.now; }, [&] { return compositor && d.WaitRefresh(); },
                   [&](double until) { d.now = until; });
        if (last >= 0)
            r.shortestMs = std::min(r.shortestMs, d.now - last);
        last = d.now;
        d.now += d.drawMs;
        ++r.steps;
    }
    r.seconds = (last - start) / 1000.0;
    return r;
}

} // namespace

TEST(StepPacer, SixtyStepsASecondAtEveryRefreshRate)
{
    struct Case {
        double hz, jitter;
    };
    for (const Case c : {Case{60, 0}, Case{60, 1.5}, Case{59.94, 0.5}, Case{75, 0}, Case{120, 0.3}, Case{144, 0},
                         Case{165, 0.5}, Case{240, 0.2}, Case{360, 0}}) {
        FakeDisplay d;
        d.hz = c.hz;
        d.jitter = c.jitter;
        d.now = 3.7; // the first step comes at an arbitrary phase
        const Paced r = Steps(d, 601);
        // 600 intervals of 1/60 s; a 59.94 Hz display gives what it has.
        const double expected = c.hz < 60 ? 600 / c.hz : 10.0;
        EXPECT_NEAR(r.seconds, expected, 0.03) << c.hz << " Hz";
        // One step a refresh at most, and no two steps closer than a step
        // less one refresh (a late step followed by an early one).
        const double period = 1000.0 / c.hz;
        EXPECT_GE(r.shortestMs, std::max(period, CStepPacer::kStepMs - period) - 2 * c.jitter - 1e-9)
            << c.hz << " Hz";
    }
}

TEST(StepPacer, SixtyHertzShowsAStepAtEveryRefresh)
{
    FakeDisplay d;
    d.jitter = 1.5;
    Steps(d, 300);
    EXPECT_EQ(d.refreshes, 300);
}

TEST(StepPacer, LateStepStartsANewScheduleWithoutABurst)
{
    FakeDisplay d;
    d.hz = 144;
    CStepPacer pacer;
    auto step = [&] {
        pacer.Wait([&] { return d.now; }, [&] { return d.WaitRefresh(); }, [&](double until) { d.now = until; });
        return d.now;
    };
    step();
    d.now += 5000; // the pause between two screens
    const double a = step(), b = step();
    EXPECT_GE(b - a, CStepPacer::kStepMs - CStepPacer::kSlackMs);
}

TEST(StepPacer, WithoutACompositorItSleepsToTheSchedule)
{
    FakeDisplay d;
    d.drawMs = 4;
    const Paced r = Steps(d, 61, false);
    EXPECT_NEAR(r.seconds, 1.0, 1e-9);
    EXPECT_EQ(d.refreshes, 0);
}
