// IPlatform: the one interface between the portable core and an operating
// system backend (headless, X11, Win32). A backend only opens windows,
// delivers input and timers as messages, presents pixels, renders text,
// stores the setting and starts a browser; all drawing is the core's raster.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/types.h"

class CSurface;
class CWnd;
class CDialog;
class ITextEngine;

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Timer procedure; a WM_TIMER whose lParam holds one is handed to it.
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

class IPlatform {
public:
    virtual ~IPlatform() = default;

    // Process.
    virtual std::string GetModuleFileName() = 0; // the running executable
    // Ends the process the C library's normal way, after the backend has
    // finished what it must (a recording, the display connection).
    [[noreturn]] virtual void Exit(int status) = 0;

    // Time: millisecond tick count (wrapping), sleeping, calendar seconds.
    virtual DWORD GetTickCount() = 0;
    virtual void Sleep(DWORD ms) = 0;
    // Sleeps until the tick count reaches `tick`; returns at once when it
    // already has (a tick up to 2^31 ms behind the count). Backends with a
    // finer clock wake at the tick's first instant; the default sleeps the
    // whole milliseconds left.
    virtual void SleepUntilTick(DWORD tick);
    virtual std::int64_t GetTime() = 0;

    // Display.
    virtual SIZE GetScreenSize() = 0; // primary screen in pixels
    virtual int GetLogPixelsY() = 0;
    // A length of n pixels at 96 DPI in the pixels of the display that shows
    // the window (where the backend counts physical pixels); the default
    // keeps n.
    virtual int ScalePixels(HWND hwnd, int n) { return n; }

    // Windows. CreateWindow sends WM_CREATE to `owner` (through its guarded
    // entry point) before it returns, and returns null when the window
    // cannot be made or WM_CREATE answered -1. DestroyWindow sends
    // WM_DESTROY and WM_NCDESTROY.
    virtual HWND CreateWindow(CWnd* owner, DWORD exStyle, DWORD style, const RECT& rc, HWND parent) = 0;
    virtual BOOL DestroyWindow(HWND hwnd) = 0;
    virtual BOOL IsWindow(HWND hwnd) = 0;
    virtual BOOL GetClientRect(HWND hwnd, RECT* rc) = 0;
    // The client area's pixels (kept by the backend as long as the window).
    virtual CSurface* GetWindowSurface(HWND hwnd) = 0;
    // Shows the given client-area rectangle of the surface now.
    virtual void Present(HWND hwnd, const RECT& rc) = 0;
    // Waits for the display's next refresh before a board step is shown.
    virtual void WaitForRefresh(HWND hwnd) = 0;

    // Messages: the thread's queue, all windows.
    virtual BOOL PeekMessage(MSG* msg) = 0; // removes; false when empty
    virtual BOOL GetMessage(MSG* msg) = 0;  // waits; false on WM_QUIT
    virtual void TranslateMessage(const MSG* msg) = 0;
    virtual LRESULT DispatchMessage(const MSG* msg) = 0;
    virtual LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int code) = 0;
    virtual UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) = 0;
    virtual BOOL KillTimer(HWND hwnd, UINT_PTR id) = 0;

    // Services.
    virtual ITextEngine& Text() = 0;
    // The per-user setting, keyed like the framework's profile functions:
    // registry key, application name (executable name without extension),
    // section and entry.
    virtual int GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                              const char* entry, int nDefault) = 0;
    virtual BOOL WriteProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                 const char* entry, int value) = 0;
    // A text setting beside the numbers, keyed the same way, in UTF-8 (a
    // folder name may hold any character): nothing when the entry is
    // missing or is not text. An empty text is a value like any other.
    virtual std::optional<std::string> GetProfileString(const std::string& registryKey, const std::string& appName,
                                                        const char* section, const char* entry) = 0;
    virtual BOOL WriteProfileString(const std::string& registryKey, const std::string& appName, const char* section,
                                    const char* entry, const std::string& value) = 0;
    // Runs a modal dialog built from its template; returns the code that
    // ended it (IDOK, IDCANCEL).
    virtual int RunDialog(CDialog& dlg, UINT templateId) = 0;
    // The program registered to open `file`, like the shell's lookup.
    virtual BOOL FindExecutable(const std::string& file, std::string& program) = 0;
    virtual void ShellExecute(const std::string& program, const char* verb, const char* parameters) = 0;
    // A bitmap resource as a packed DIB; empty (the default) where the
    // backend has none of its own and the built-in copy is to be used.
    virtual std::vector<BYTE> LoadBitmapResource(UINT id);
    // A start-up failure that leaves no window, as one line without the
    // program's name; the default writes "mosvik: <text>" to stderr.
    virtual void ReportStartupFailure(const std::string& text);
};

// The process's platform, set once by main() before the application starts.
IPlatform& AfxGetPlatform();
void AfxSetPlatform(IPlatform* platform);
