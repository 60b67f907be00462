// CVirtualClock: the headless backend's time. It never reads the system
// clock, so the same options give the same run. Time is counted in units
// of 1/60 microsecond: a millisecond, a microsecond and one 60 Hz display
// refresh are all whole numbers of units, so no fraction is ever lost.
#pragma once

#include <cstdint>

class CVirtualClock {
public:
    static constexpr std::int64_t kUnitsPerSecond = 60'000'000;
    static constexpr std::int64_t kUnitsPerMs = kUnitsPerSecond / 1000;
    static constexpr std::int64_t kUnitsPerUs = kUnitsPerSecond / 1'000'000;
    static constexpr std::int64_t kRefreshUnits = kUnitsPerSecond / 60; // one display refresh

    explicit CVirtualClock(std::int64_t calendarStart) : m_calendarStart(calendarStart) {}

    std::int64_t Now() const { return m_now; } // units since start
    std::int64_t NowMs() const { return m_now / kUnitsPerMs; }
    // Calendar seconds: the start value plus the whole seconds elapsed.
    std::int64_t CalendarSeconds() const { return m_calendarStart + m_now / kUnitsPerSecond; }
    // The millisecond tick count (it starts at 0 and wraps).
    std::uint32_t Ticks() const { return std::uint32_t(std::uint64_t(NowMs())); }

    // Moves the clock to `units` (never backwards).
    void Set(std::int64_t units)
    {
        if (units > m_now)
            m_now = units;
    }

    // The time of sample `index` at `fps` samples per second, rounded up
    // to a unit.
    static std::int64_t SampleTime(std::int64_t index, int fps)
    {
        return (index * kUnitsPerSecond + fps - 1) / fps;
    }

private:
    std::int64_t m_calendarStart;
    std::int64_t m_now = 0;
};
