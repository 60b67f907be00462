// CWin32Platform: IPlatform on Windows, the core's side of the Win32
// backend. It keeps what the core needs beside the system's own state:
// each window's client-area surface, the core's timer procedures (Windows
// only ever sees procedure-less timers), the paint rectangle while a
// WM_PAINT is dispatched, and the GDI text engine. The system calls go
// through the windows.h side declared in win32_api.h.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "framework/monitor_layout.h"
#include "framework/platform.h"
#include "raster/surface.h"
#include "raster/text.h"
#include "backends/win32/win32_api.h"

class CGdiTextEngine final : public ITextEngine {
public:
    SIZE Measure(const LOGFONT& font, std::string_view text) override;
    void Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box, TextMask& out) override;
};

class CWin32Platform final : public IPlatform {
public:
    // A preview (quiet) reports start-up failures on stderr only; other runs
    // also show them in a message box, since a GUI program's stderr is not
    // seen.
    explicit CWin32Platform(bool bQuiet) : m_bQuiet(bQuiet) {}

    std::string GetModuleFileName() override;
    [[noreturn]] void Exit(int status) override;

    DWORD GetTickCount() override;
    void Sleep(DWORD ms) override;
    void SleepUntilTick(DWORD tick) override;
    std::int64_t GetTime() override;

    SIZE GetScreenSize() override;
    int GetLogPixelsY() override;
    int ScalePixels(HWND hwnd, int n) override;

    HWND CreateWindow(CWnd* owner, DWORD exStyle, DWORD style, const RECT& rc, HWND parent) override;
    BOOL DestroyWindow(HWND hwnd) override;
    BOOL IsWindow(HWND hwnd) override;
    BOOL GetClientRect(HWND hwnd, RECT* rc) override;
    CSurface* GetWindowSurface(HWND hwnd) override;
    void Present(HWND hwnd, const RECT& rc) override;
    void WaitForRefresh(HWND hwnd) override;

    BOOL PeekMessage(MSG* msg) override;
    BOOL GetMessage(MSG* msg) override;
    void TranslateMessage(const MSG* msg) override;
    LRESULT DispatchMessage(const MSG* msg) override;
    LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(int code) override;
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) override;
    BOOL KillTimer(HWND hwnd, UINT_PTR id) override;

    ITextEngine& Text() override { return m_text; }
    int GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                      const char* entry, int nDefault) override;
    BOOL WriteProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                         const char* entry, int value) override;
    std::optional<std::string> GetProfileString(const std::string& registryKey, const std::string& appName,
                                                const char* section, const char* entry) override;
    BOOL WriteProfileString(const std::string& registryKey, const std::string& appName, const char* section,
                            const char* entry, const std::string& value) override;
    int RunDialog(CDialog& dlg, UINT templateId) override;
    BOOL FindExecutable(const std::string& file, std::string& program) override;
    void ShellExecute(const std::string& program, const char* verb, const char* parameters) override;
    std::vector<BYTE> LoadBitmapResource(UINT id) override;
    void ReportStartupFailure(const std::string& text) override;

    // The monitor this process's show covers when it is one of several:
    // its size is the screen's, and the full-screen window is placed on it.
    void SetMonitor(const std::optional<ShowMonitor>& monitor) { m_monitor = monitor; }

    // A message for one of the saver windows, from the window procedure.
    LRESULT OnWindowMessage(CWnd* owner, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                            const RECT* paint);

private:
    struct WindowState {
        CSurface surface;
        bool painting = false;
        RECT paint{}; // while painting: the update rectangle
    };

    WindowState& State(HWND hwnd);
    void Forget(HWND hwnd);
    void ConvertIncoming(const w32::Msg& in, MSG* out) const;

    std::optional<ShowMonitor> m_monitor;
    std::unordered_map<HWND, WindowState> m_windows; // node-based: surfaces keep their address
    std::map<std::pair<HWND, UINT_PTR>, TIMERPROC> m_timerProcs;
    CGdiTextEngine m_text;
    bool m_bQuiet;
};

namespace w32::core {
// Sets the platform and runs the saver for `command`: one monitor's show
// when `monitor` is given, else full screen on several monitors as one
// show each, started with `given` (the command line without --monitor).
// `prepare` runs once the platform is set: the application object may be
// made from then on, after the platform, so that it goes first at exit.
// Returns the process status; never throws.
int RunSaver(const SaverCommand& command, const std::optional<ShowMonitor>& monitor,
             const std::vector<std::string>& given, const std::function<void()>& prepare) noexcept;
} // namespace w32::core
