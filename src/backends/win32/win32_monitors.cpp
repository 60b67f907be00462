// Full screen on several monitors, the windows.h side: the monitors (in
// physical pixels, since the manifest makes the process per-monitor DPI
// aware), the window of one monitor's show, and the shows as child
// processes. The children live in a job object that kills them when its
// last handle closes, so however the parent ends (input on any monitor,
// a session end, being killed) no show outlives it. A parent that cannot
// make or use the job (an older system that refuses nested jobs) runs no
// children: its caller falls back to a single show.
#include <windows.h>

#include <string>
#include <vector>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"
#include "backends/win32/win32_wide.h"

namespace w32 {
namespace {

struct KernelTraits {
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
using Kernel = UniqueHandle<HANDLE, KernelTraits>;

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(monitor, &info))
        return TRUE;
    auto& list = *reinterpret_cast<std::vector<Rect>*>(data);
    const Rect r{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    // The primary monitor first: its show is the one that takes the focus.
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        list.insert(list.begin(), r);
    else
        list.push_back(r);
    return TRUE;
}

// One argument as the C runtime splits it back: quoted, with backslashes
// doubled before a quote and before the closing quote.
std::string Quote(const std::string& arg)
{
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

} // namespace

std::vector<Rect> Monitors()
{
    std::vector<Rect> list;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

Handle CreateMonitorWindow(void* owner, std::uint32_t exStyle, std::uint32_t style, const Rect& rc, bool takesFocus)
{
    if (takesFocus)
        return CreateSaverWindow(owner, exStyle, style, rc, nullptr);
    // Never activated, so the show with the focus keeps it; topmost, so a
    // taskbar on this monitor stays under it.
    const bool visible = (style & WS_VISIBLE) != 0;
    Handle h = CreateSaverWindow(owner, exStyle | WS_EX_NOACTIVATE | WS_EX_TOPMOST, style & ~WS_VISIBLE, rc, nullptr);
    if (h && visible)
        ::ShowWindow(h, SW_SHOWNOACTIVATE);
    return h;
}

int RunShows(const std::vector<std::vector<std::string>>& shows)
{
    if (shows.empty() || shows.size() > MAXIMUM_WAIT_OBJECTS)
        return -1;
    Kernel job(::CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return -1;
    const std::string exe = ModuleFileName();
    std::vector<Kernel> processes, threads;
    std::vector<HANDLE> waits;
    for (const std::vector<std::string>& args : shows) {
        std::string line;
        for (const std::string& a : args) {
            if (!line.empty())
                line += ' ';
            line += Quote(a);
        }
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        // Suspended until it is in the job: it cannot run outside it. The
        // module path is UTF-8, so any folder name reaches the show.
        std::wstring wline = Widen(line);
        if (!::CreateProcessW(Widen(exe).c_str(), wline.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              nullptr, &si, &pi))
            return -1; // the job's handle closes: the ones made so far go with it
        processes.emplace_back(pi.hProcess);
        threads.emplace_back(pi.hThread);
        if (!::AssignProcessToJobObject(job.Get(), pi.hProcess)) {
            ::TerminateProcess(pi.hProcess, 1);
            return -1;
        }
        if (processes.size() == 1)
            ::AllowSetForegroundWindow(pi.dwProcessId); // the first show takes the focus
        waits.push_back(pi.hProcess);
    }
    for (const Kernel& t : threads)
        ::ResumeThread(t.Get());
    const DWORD which = ::WaitForMultipleObjects(DWORD(waits.size()), waits.data(), FALSE, INFINITE);
    DWORD status = 1;
    if (which < WAIT_OBJECT_0 + waits.size())
        ::GetExitCodeProcess(waits[which - WAIT_OBJECT_0], &status);
    ::TerminateJobObject(job.Get(), 0); // one ending ends every show
    return int(status);
}

} // namespace w32
