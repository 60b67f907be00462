// Process, time, display and shell services on Win32: the module path, the
// screen's size and resolution, pacing to the
// display refresh, bitmap resources and the shell's program lookup. The
// fallback pacing sleeps, so it is only as fine as the system's timer
// (about 16 ms by default on Windows), which is what it aims at anyway.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_handles.h"

namespace w32 {
namespace {

// Paces board steps to the display. With a compositor, DwmFlush returns
// after its next composition pass, which follows the refresh. Without one
// (DwmFlush missing or failing, or returning at once as a stub does), the
// step waits until 16 ms have passed since the previous one.
class RefreshClock {
public:
    RefreshClock()
    {
        ::QueryPerformanceFrequency(&m_freq);
        m_dwmapi.Reset(::LoadLibraryA("dwmapi.dll"));
        if (m_dwmapi) {
            // GetProcAddress yields a generic function pointer; the real
            // type of DwmFlush is HRESULT WINAPI (void).
            auto proc = reinterpret_cast<void (*)()>(::GetProcAddress(m_dwmapi.Get(), "DwmFlush"));
            m_flush = reinterpret_cast<DwmFlushFn>(proc);
        }
    }

    void Wait()
    {
        const double start = NowMs();
        bool paced = false;
        if (m_flush && SUCCEEDED(m_flush()))
            paced = NowMs() - start >= kStubThresholdMs;
        if (!paced && m_last > 0) {
            const double due = m_last + kFallbackPeriodMs;
            const double now = NowMs();
            if (due > now)
                ::Sleep(DWORD(due - now + 0.5));
        }
        m_last = NowMs();
    }

private:
    using DwmFlushFn = HRESULT(WINAPI*)();
    static constexpr double kFallbackPeriodMs = 16.0;
    static constexpr double kStubThresholdMs = 0.5;

    double NowMs() const
    {
        LARGE_INTEGER t;
        ::QueryPerformanceCounter(&t);
        return double(t.QuadPart) * 1000.0 / double(m_freq.QuadPart ? m_freq.QuadPart : 1);
    }

    LARGE_INTEGER m_freq{};
    Module m_dwmapi;
    DwmFlushFn m_flush = nullptr;
    double m_last = 0;
};

} // namespace

std::string ModuleFileName()
{
    // The path may be longer than MAX_PATH: grow until it fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

void ScreenSize(std::int32_t& cx, std::int32_t& cy)
{
    cx = ::GetSystemMetrics(SM_CXSCREEN);
    cy = ::GetSystemMetrics(SM_CYSCREEN);
}

int LogPixelsY()
{
    WindowDc dc(nullptr);
    return dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
}

void WaitForRefresh()
{
    static RefreshClock clock;
    clock.Wait();
}

bool LoadBitmapBytes(unsigned id, std::vector<std::uint8_t>& dib)
{
    // RT_BITMAP resources are packed DIBs: the file without its header.
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)); // RT_BITMAP
    if (!res)
        return false;
    HGLOBAL data = ::LoadResource(module, res);
    const DWORD size = ::SizeofResource(module, res);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes || size == 0)
        return false;
    dib.resize(size);
    std::memcpy(dib.data(), bytes, size);
    return true;
}

bool FindProgramFor(const std::string& file, std::string& program)
{
    char buf[MAX_PATH + 1] = {};
    const HINSTANCE r = ::FindExecutableA(file.c_str(), nullptr, buf);
    if (reinterpret_cast<INT_PTR>(r) <= 32)
        return false;
    program = buf;
    return true;
}

void OpenWithProgram(const std::string& program, const char* verb, const char* parameters)
{
    ::ShellExecuteA(nullptr, verb, program.c_str(), parameters, nullptr, SW_SHOWDEFAULT);
}

} // namespace w32
