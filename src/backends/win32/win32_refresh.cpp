// Pacing board steps on Win32: the compositor's DwmFlush returns after its
// next composition pass, which follows the display's refresh, and
// CStepPacer (step_pacer.h) picks the refreshes that keep 60 steps a
// second. Without a compositor (dwmapi missing, DwmFlush failing, or
// returning at once as a stub does) the step sleeps until it is due, which
// is only as fine as the system's timer.
#include <windows.h>

#include "backends/win32/step_pacer.h"
#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"
#include "backends/win32/win32_libraries.h"

namespace w32 {
namespace {

class RefreshClock {
public:
    RefreshClock()
    {
        ::QueryPerformanceFrequency(&m_freq);
        m_dwmapi.Reset(LoadSystemLibrary(L"dwmapi.dll"));
        if (m_dwmapi) {
            // GetProcAddress yields a generic function pointer; the real
            // type of DwmFlush is HRESULT WINAPI (void).
            auto proc = reinterpret_cast<void (*)()>(::GetProcAddress(m_dwmapi.Get(), "DwmFlush"));
            m_flush = reinterpret_cast<DwmFlushFn>(proc);
        }
    }

    void Wait()
    {
        m_pacer.Wait([this] { return NowMs(); }, [this] { return Flush(); },
                     [this](double due) { ::Sleep(DWORD(due - NowMs() + 0.5)); });
    }

private:
    using DwmFlushFn = HRESULT(WINAPI*)();
    static constexpr double kStubThresholdMs = 0.5;

    // True when the call really waited for a composition pass.
    bool Flush()
    {
        const double start = NowMs();
        return m_flush && SUCCEEDED(m_flush()) && NowMs() - start >= kStubThresholdMs;
    }

    double NowMs() const
    {
        LARGE_INTEGER t;
        ::QueryPerformanceCounter(&t);
        return double(t.QuadPart) * 1000.0 / double(m_freq.QuadPart ? m_freq.QuadPart : 1);
    }

    LARGE_INTEGER m_freq{};
    Module m_dwmapi;
    DwmFlushFn m_flush = nullptr;
    CStepPacer m_pacer;
};

} // namespace

void WaitForRefresh()
{
    static RefreshClock clock;
    clock.Wait();
}

} // namespace w32
