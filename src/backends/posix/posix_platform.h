// CPosixPlatform: what every POSIX backend of IPlatform shares. It keeps
// the window table, the thread's message queue with the Windows rules
// (posted messages first, then WM_QUIT, then at most one synthesised
// WM_TIMER per due timer), creation and destruction with their
// synchronous messages, one CSurface per window, the profile settings in
// an INI file, the FreeType text engine and the xdg-open shell.
//
// A backend derives from it and supplies the display: the clock (real by
// default), waiting for events when the queue is empty, presenting a
// surface, refresh pacing, the screen size and the modal dialog. The hooks
// OnWindowCreated/OnWindowDestroyed let it make and drop native windows.
//
// Trade-offs: window records live in a std::map keyed by handle (a handful
// of windows at most); a destroyed window's handle may be reused by a
// later record at the same address, as on any system that recycles handles.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/monitor_layout.h"
#include "framework/platform.h"
#include "raster/surface.h"

class CIniProfile;
class CFreeTypeTextEngine;
class CStopSignals;

// One window as the backend knows it. Created windows are named by the
// address of their record; foreign windows (a preview parent handed over
// by number) by the number they were given.
struct CPosixWindow {
    HWND hwnd = nullptr;
    CWnd* owner = nullptr;   // null for foreign windows and once WM_NCDESTROY went out
    HWND parent = nullptr;   // null for top-level windows
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};             // in the parent's client coordinates (screen for top level)
    bool foreign = false;    // not made by this process: no surface, no owner
    bool destroying = false; // WM_DESTROY already sent
    std::uint64_t createSeq = 0; // creation order, for z-order and input routing
    std::uint64_t native = 0;    // the backend's own name for it (an X window id)
    CSurface surface;            // client-area pixels (empty for foreign windows)
    // The parts a queued WM_PAINT is for (none listed: the whole client
    // area), and while WM_PAINT is dispatched the parts it may present.
    std::vector<RECT> update;
    bool updateAll = false;
    std::vector<RECT> paint;
    bool painting = false;
};

class CPosixPlatform : public IPlatform {
public:
    CPosixPlatform();
    ~CPosixPlatform() override;

    // Process.
    std::string GetModuleFileName() override { return ExecutablePath(); }
    static std::string ExecutablePath();
    [[noreturn]] void Exit(int status) override;

    // Time: the monotonic clock of the system unless a backend has its own.
    // The sleeps wake at their instant (to the microsecond, not to the
    // millisecond) and end the process when a stop signal arrives.
    DWORD GetTickCount() override;
    void Sleep(DWORD ms) override;
    void SleepUntilTick(DWORD tick) override;
    std::int64_t GetTime() override;
    int GetLogPixelsY() override { return 96; }

    // Windows.
    HWND CreateWindow(CWnd* owner, DWORD exStyle, DWORD style, const RECT& rc, HWND parent) override;
    BOOL DestroyWindow(HWND hwnd) override;
    BOOL IsWindow(HWND hwnd) override;
    BOOL GetClientRect(HWND hwnd, RECT* rc) override;
    CSurface* GetWindowSurface(HWND hwnd) override;
    // Sleeps to the next 60 Hz slot of the monotonic clock.
    void WaitForRefresh(HWND hwnd) override;

    // Messages.
    BOOL PeekMessage(MSG* msg) override;
    BOOL GetMessage(MSG* msg) override;
    void TranslateMessage(const MSG*) override {} // no character messages are needed
    LRESULT DispatchMessage(const MSG* msg) override;
    LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(int code) override;
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) override;
    BOOL KillTimer(HWND hwnd, UINT_PTR id) override;

    // Services.
    ITextEngine& Text() override;
    int GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                      const char* entry, int nDefault) override;
    BOOL WriteProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                         const char* entry, int value) override;
    std::optional<std::string> GetProfileString(const std::string& registryKey, const std::string& appName,
                                                const char* section, const char* entry) override;
    BOOL WriteProfileString(const std::string& registryKey, const std::string& appName, const char* section,
                            const char* entry, const std::string& value) override;
    BOOL FindExecutable(const std::string& file, std::string& program) override;
    void ShellExecute(const std::string& program, const char* verb, const char* parameters) override;

    // Full screen on several monitors: the monitors a full-screen run
    // covers (by default the one screen), and the monitor this process's
    // show covers when it is one of several (its size is then the screen).
    virtual std::vector<MonitorRect> GetMonitors();
    void SetMonitor(const ShowMonitor& monitor) { m_monitor = monitor; }
    const std::optional<ShowMonitor>& Monitor() const { return m_monitor; }

    // For backends and tests.
    // Appends a message to the queue; false when hwnd names no window.
    bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Queues WM_PAINT for the window unless one is already queued; `rc`
    // (client coordinates) limits what it repaints, null means everything.
    void Invalidate(HWND hwnd, const RECT* rc = nullptr);
    // The parts of `rc` a presentation may show now: while WM_PAINT is
    // dispatched only the invalid parts, as a paint DC would clip them.
    std::vector<RECT> PaintClip(HWND hwnd, const RECT& rc);
    // Registers a window this process did not make (a preview parent given
    // by number) with its client size; its handle is `hwnd` itself.
    void AddForeignWindow(HWND hwnd, SIZE client, std::uint64_t native = 0);
    // The foreign window went away: its children are destroyed at once.
    void DestroyForeignWindow(HWND hwnd);
    CPosixWindow* FindWindow(HWND hwnd);
    // The window that receives input: the newest live window of this process.
    CPosixWindow* InputWindow();
    // Live windows in creation order (foreign ones included).
    std::vector<CPosixWindow*> Windows();
    // The window's top-left corner on the screen (parents' positions added).
    POINT ScreenOrigin(const CPosixWindow& w);
    // Milliseconds until the earliest timer is due (0 when one is), or
    // nothing when no timer runs.
    std::optional<std::int64_t> NextTimerDue();
    std::size_t QueuedCount() const { return m_queue.size(); }
    // From now on SIGTERM and SIGINT end the process with status 0 at the
    // next wait, sleep or clock movement (at most one sleep slice later).
    void WatchStopSignals();

protected:
    // The clock that timers run on, in milliseconds; reading it has no
    // side effects. The default is CLOCK_MONOTONIC.
    virtual std::int64_t MonotonicMs();
    // Blocks until something may be in the queue or `timeoutMs` has passed
    // (no timeout: wait for an event). Called by GetMessage with the queue
    // empty and no timer due.
    virtual void WaitForEvents(std::optional<std::int64_t> timeoutMs) = 0;
    // Moves pending events of the display into the queue without waiting;
    // called at the start of every PeekMessage.
    virtual void PollEvents() {}
    // A window record is complete (before WM_CREATE): make the native
    // window. False fails the creation.
    virtual bool OnWindowCreated(CPosixWindow&) { return true; }
    // The window is about to be freed (after WM_NCDESTROY).
    virtual void OnWindowDestroyed(CPosixWindow&) {}
    // Finishes what must be finished before the process ends.
    virtual void OnExit(int status) {}
    // The directory holding the settings ($XDG_CONFIG_HOME or ~/.config).
    virtual std::string ConfigHome();
    // Ends the process with status 0 when a stop signal arrived.
    void ExitIfStopped();
    // The stop-signal pipe's read end (readable once one arrived), or -1
    // when the signals are not watched.
    int StopFd() const;

private:
    struct Timer {
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        UINT elapse = 0;
        TIMERPROC proc = nullptr;
        std::int64_t due = 0;
        std::uint64_t seq = 0;
    };

    // Sleeps until the monotonic clock reads `deadlineNs`, waking for a
    // stop signal.
    void SleepUntilNs(std::int64_t deadlineNs);
    CIniProfile& Profile(); // made on first use
    void DestroyTree(CPosixWindow& w);
    void SendToOwner(CPosixWindow& w, UINT message, WPARAM wParam, LPARAM lParam);
    void FreeWindow(HWND hwnd);
    bool TakeDueTimer(MSG* msg);

    std::optional<ShowMonitor> m_monitor;
    std::map<HWND, std::unique_ptr<CPosixWindow>> m_windows;
    std::deque<MSG> m_queue;
    std::vector<Timer> m_timers;
    bool m_bQuit = false;
    int m_nQuitCode = 0;
    bool m_bExiting = false;
    std::uint64_t m_nextSeq = 1;
    UINT_PTR m_nextThreadTimer = 0x7FFF;
    std::unique_ptr<CIniProfile> m_profile;
    std::unique_ptr<CFreeTypeTextEngine> m_text;
    std::unique_ptr<CStopSignals> m_signals;
};
