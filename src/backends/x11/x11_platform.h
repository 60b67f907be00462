// CX11Platform: the desktop backend for X11 on top of the POSIX base.
// Every window of the saver gets an X window; the surface the core draws
// into is shown with CX11Image; X events become the framework's messages
// (x11_events.cpp); the message loop waits in poll() on the X connection
// and the stop-signal pipe with the next timer as timeout, so an idle
// saver uses no processor time. The configuration dialog is GTK 3.
//
// Windows this process did not make (a preview parent: an XID given on the
// command line, the root window, XScreenSaver's window, or the host window
// of --window) are registered as foreign windows whose handle is their
// XID, which is what the application's preview switch reads.
//
// The full-screen window is override-redirect (no window manager is
// needed or consulted), takes the input focus, grabs keyboard and pointer
// once mapped and shows an invisible cursor. The preview child selects no
// input at all: clicks and keys over it go to its parent.
//
// A full screen of several monitors is one process per monitor
// (monitor_shows.h): each covers its monitor; only the first takes the
// focus and grabs, so every key and pointer event reaches that one show.
//
// Trade-offs: refresh pacing is a 60 Hz grid on the
// monotonic clock rather than the monitor's vertical blank.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/posix/posix_platform.h"
#include "backends/x11/x11_options.h"

class CX11Display;
class CX11Image;

class CX11Platform : public CPosixPlatform {
public:
    explicit CX11Platform(const X11Options& options);
    ~CX11Platform() override;

    // The display connection, opened on first use; throws when it cannot.
    CX11Display& Connection();

    // Makes the X window `xid` known as a preview parent (its handle is the
    // XID); false when it does not exist.
    bool AdoptParent(std::uint64_t xid);
    // --window: makes a resizable top-level window titled "Mosvik" and
    // adopts it; closing it ends the saver. Returns its XID.
    std::uint64_t MakeHostWindow();
    // The preview draws with the move-arrow cursor (a preview the user
    // started) or with its parent's (XScreenSaver's windows, the root).
    void SetPreviewCursor(bool moveArrow) { m_bMoveCursor = moveArrow; }

    SIZE GetScreenSize() override;
    std::vector<MonitorRect> GetMonitors() override; // x11_monitors.cpp
    void Present(HWND hwnd, const RECT& rc) override;
    int GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                      const char* entry, int nDefault) override;
    int RunDialog(CDialog& dlg, UINT templateId) override;

protected:
    void WaitForEvents(std::optional<std::int64_t> timeoutMs) override;
    void PollEvents() override;
    bool OnWindowCreated(CPosixWindow& w) override;
    void OnWindowDestroyed(CPosixWindow& w) override;
    void OnExit(int status) override;

private:
    // What the backend keeps for each window it made.
    struct Native {
        Window window = None;
        GC gc = nullptr;
        std::unique_ptr<CX11Image> image;
        bool takesInput = false;  // full screen or a plain top-level window
        bool fullScreen = false;
        bool mapped = false;
        bool focused = false;     // had the focus since it was mapped
        bool grabbed = false;     // keyboard and pointer are ours
        std::int64_t grabUntil = 0; // after mapping, keep trying to grab until then (ms)
        bool gone = false;        // the server destroyed it already
    };

    // x11_events.cpp
    void HandleEvent(XEvent& ev);
    void HandleKey(HWND hwnd, XKeyEvent& ev);
    void HandleButton(HWND hwnd, const XButtonEvent& ev);
    void HandleFocusOut(HWND hwnd, Native& n, const XFocusChangeEvent& ev);
    void HandleConfigure(HWND hwnd, const XConfigureEvent& ev);
    void HandleDestroy(Window window);
    void HandleErrors();
    void TryGrab(Native& n);

    Native* NativeOf(HWND hwnd);
    HWND HandleOf(Window window) const;

    X11Options m_options;
    std::unique_ptr<CX11Display> m_display;
    std::map<HWND, Native> m_native;    // windows made here
    std::map<Window, HWND> m_byWindow;  // every X window known, own and foreign
    Window m_host = None;               // the --window host, while it exists
    bool m_bMoveCursor = true;
};
