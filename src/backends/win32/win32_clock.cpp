// The Win32 clock: a millisecond tick count read from the performance
// counter (the system's tick count steps every 10 to 16 ms, which would make
// every paced copy wait a whole step), and sleeps that wake at their instant
// instead of at the next timer interrupt: a high-resolution waitable timer
// where the system has one, else a plain one with the timer resolution
// raised to 1 ms for the process's lifetime.
//
// While it sleeps, the saver still lets through what must end it within a
// tenth of a second: messages sent by other threads (WM_ENDSESSION, the
// destruction of a preview's parent, which destroys the preview) and a
// posted WM_CLOSE. Nothing else is handled; input stays queued for the pump.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "backends/win32/win32_api.h"
#include "framework/tick.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace w32 {
namespace {

class Clock {
public:
    Clock() : m_base(::GetTickCount())
    {
        ::QueryPerformanceFrequency(&m_freq);
        if (m_freq.QuadPart <= 0)
            m_freq.QuadPart = 1;
        ::QueryPerformanceCounter(&m_origin);
        m_timer = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
        if (!m_timer) {
            m_timer = ::CreateWaitableTimerW(nullptr, TRUE, nullptr);
            m_raised = ::timeBeginPeriod(1) == TIMERR_NOERROR;
        }
    }
    ~Clock()
    {
        if (m_timer)
            ::CloseHandle(m_timer);
        if (m_raised)
            ::timeEndPeriod(1);
    }
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    // Microseconds since the clock was made.
    std::int64_t NowUs() const
    {
        LARGE_INTEGER t;
        ::QueryPerformanceCounter(&t);
        const std::int64_t d = t.QuadPart - m_origin.QuadPart, f = m_freq.QuadPart;
        return d / f * 1000000 + d % f * 1000000 / f;
    }

    // Continues the system's tick count at the start, then counts whole
    // milliseconds of the performance counter (wrapping the same way).
    std::uint32_t Ticks() const { return m_base + std::uint32_t(std::uint64_t(NowUs() / 1000)); }

    void SleepUntilUs(std::int64_t targetUs)
    {
        for (;;) {
            const std::int64_t left = targetUs - NowUs();
            if (left <= 0)
                return;
            if (!m_timer) {
                ::Sleep(DWORD((left + 999) / 1000));
                continue;
            }
            LARGE_INTEGER due;
            due.QuadPart = -left * 10; // relative, in 100 ns units
            ::SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, FALSE);
            // Wakes for new messages too (not for ones already seen).
            const DWORD r = ::MsgWaitForMultipleObjectsEx(1, &m_timer, INFINITE, QS_SENDMESSAGE | QS_POSTMESSAGE, 0);
            if (r == WAIT_OBJECT_0 + 1)
                LetEndingsThrough();
        }
    }

private:
    static void LetEndingsThrough()
    {
        MSG m;
        // Looking at the queue delivers the messages other threads sent.
        ::PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        while (::PeekMessageA(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE))
            ::DispatchMessageA(&m);
    }

    std::uint32_t m_base;
    LARGE_INTEGER m_freq{};
    LARGE_INTEGER m_origin{};
    HANDLE m_timer = nullptr;
    bool m_raised = false;
};

Clock& TheClock()
{
    static Clock clock;
    return clock;
}

} // namespace

std::uint32_t TickCount() { return TheClock().Ticks(); }

void SleepMs(std::uint32_t ms)
{
    Clock& c = TheClock();
    c.SleepUntilUs(c.NowUs() + std::int64_t(ms) * 1000);
}

void SleepUntilTick(std::uint32_t tick)
{
    Clock& c = TheClock();
    const std::int64_t nowMs = c.NowUs() / 1000;
    if (const std::uint32_t ahead = TicksUntil(tick, c.Ticks()))
        c.SleepUntilUs((nowMs + std::int64_t(ahead)) * 1000); // the tick's first instant
}

} // namespace w32
