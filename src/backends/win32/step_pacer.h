// CStepPacer: 60 board steps a second whatever the display's refresh rate.
// A step is shown at the first refresh at or after its due time, and due
// times follow each other by 1/60 s, so a 144 Hz display shows a step at
// every second or third refresh and a 60 Hz one at every refresh, both 60
// a second on average. What it gives up: below 60 Hz the steps can only
// follow the refreshes, and a step that comes late (a slow draw, the pause
// between screens) starts a new schedule instead of hurrying to catch up.
// Plain arithmetic on milliseconds, with the clock, the refresh wait and
// the sleep handed in, so that tests can drive it with a fake display.
#pragma once

namespace w32 {

class CStepPacer {
public:
    static constexpr double kStepMs = 1000.0 / 60.0;
    // A refresh this close before the due time counts as on time, so that a
    // 60 Hz display whose refreshes jitter around the schedule never skips
    // one; the schedule itself does not move, so early steps cost nothing on
    // average.
    static constexpr double kSlackMs = 4.0;
    // Refreshes one step waits for at most (a fifth of a second at 60 Hz).
    static constexpr int kMaxRefreshes = 12;

    bool IsDue(double nowMs) const { return !m_bStarted || nowMs >= m_dueMs - kSlackMs; }
    double DueMs(double nowMs) const { return m_bStarted ? m_dueMs : nowMs; }

    // Records a step shown at nowMs and schedules the next one.
    void StepShown(double nowMs)
    {
        m_dueMs = m_bStarted ? m_dueMs + kStepMs : nowMs + kStepMs;
        if (m_dueMs < nowMs)
            m_dueMs = nowMs + kStepMs;
        m_bStarted = true;
    }

    // Waits until the next step may be shown: for the first refresh at or
    // after its due time. waitRefresh() blocks until the next refresh and
    // returns false where there is none to wait for; then sleepUntil(ms)
    // waits for the due time instead.
    template <class Now, class WaitRefresh, class SleepUntil>
    void Wait(Now now, WaitRefresh waitRefresh, SleepUntil sleepUntil)
    {
        for (int i = 0; i < kMaxRefreshes; ++i) {
            if (!waitRefresh()) {
                const double due = DueMs(now());
                if (due > now())
                    sleepUntil(due);
                break;
            }
            if (IsDue(now()))
                break;
        }
        StepShown(now());
    }

private:
    bool m_bStarted = false;
    double m_dueMs = 0;
};

} // namespace w32
