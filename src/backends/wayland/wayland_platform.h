// CWaylandPlatform: the desktop backend for Wayland compositors with the
// wlr layer shell (sway, Hyprland, river, labwc, KDE Plasma) on top of the
// POSIX base. The full-screen window is a layer surface on the overlay of
// one output; --window is an xdg-shell toplevel with the preview inside.
// The surface the core draws into reaches the screen through
// CWaylandSurface (shm buffers, frame callbacks); seat events become the
// framework's messages; every wait of the saver (the message loop, its
// sleeps, the wait for a refresh) is one poll() on the display and the
// stop-signal pipe with the next deadline, so an idle saver, or one whose
// output shows nothing, uses no processor time.
//
// One show per output, each in a process of its own: main starts the
// saver once per output with --monitor=K:... and --wayland-output=NAME
// (main/wayland_run.h), each process binds that output and covers it. The
// core keeps one show's state in process-wide objects (the application,
// the board, the mouse reference), as on X11 and Windows, so a thread per
// output would have to take all of it apart; a process per output also
// lets one output's end (unplugged: kExitOutputGone) leave the others be.
//
// Input: any key, the left, middle and right buttons, and pointer motion
// become key and mouse messages in buffer pixels, for the core's rules
// (the mouse slop is scaled with the surface). Losing the keyboard focus
// ends nothing: with a show on every output the focus may move between
// them.
//
// Trade-offs: outputs that appear after the start get no show; the
// configuration dialog is not this backend's (main runs the X11 backend's
// GTK dialog, which GTK shows on Wayland itself).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/posix/posix_platform.h"
#include "backends/wayland/wayland_input.h"
#include "backends/wayland/wayland_options.h"

class CWaylandDisplay;
class CWaylandSurface;
struct WaylandOutput;

// An output as a several-output run starts its shows: its name and its
// rectangle (logical place, size in buffer pixels).
struct WaylandOutputInfo {
    std::string name;
    MonitorRect rect;
};

class CWaylandPlatform : public CPosixPlatform, private IWaylandInput {
public:
    // Connects to the compositor; throws WaylandError when there is none.
    explicit CWaylandPlatform(const WaylandOptions& options);
    ~CWaylandPlatform() override;

    // The outputs in the compositor's order.
    std::vector<WaylandOutputInfo> Outputs() const;
    bool HasLayerShell() const;
    // Chooses the output this process covers (options' name, else the
    // first). False when there is no such output.
    bool SelectOutput();
    // --window: makes the toplevel and registers it as a foreign window
    // (the preview parent); returns its handle. Throws when it cannot.
    std::uint64_t MakeHostWindow();

    SIZE GetScreenSize() override;
    std::vector<MonitorRect> GetMonitors() override;
    int ScalePixels(HWND hwnd, int n) override;
    void Present(HWND hwnd, const RECT& rc) override;
    // Waits for the frame callback of the last commit (the compositor is
    // ready for the next step), or until input arrives.
    void WaitForRefresh(HWND hwnd) override;
    void Sleep(DWORD ms) override;
    void SleepUntilTick(DWORD tick) override;
    int GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                      const char* entry, int nDefault) override;
    // Not reached: main runs the dialog through the X11 backend, whose GTK
    // dialog GTK shows on Wayland; answers IDCANCEL.
    int RunDialog(CDialog& dlg, UINT templateId) override;

protected:
    void WaitForEvents(std::optional<std::int64_t> timeoutMs) override;
    void PollEvents() override;
    bool OnWindowCreated(CPosixWindow& w) override;
    void OnWindowDestroyed(CPosixWindow& w) override;
    void OnExit(int status) override;

private:
    // A surface of the saver: the full-screen window's own, or the --window
    // host's, which shows the preview window inside it.
    struct Native {
        std::unique_ptr<CWaylandSurface> surface;
        HWND content = nullptr; // the window whose pixels it shows
        bool fullScreen = false;
    };

    // IWaylandInput (wayland_events.cpp)
    bool HidesCursor(wl_surface* surface) override;
    void OnPointerMotion(wl_surface* surface, wl_fixed_t x, wl_fixed_t y, WPARAM buttons) override;
    void OnPointerButton(wl_surface* surface, UINT message, wl_fixed_t x, wl_fixed_t y, WPARAM buttons) override;
    void OnKey(wl_surface* surface, std::uint32_t evdevCode) override;

    Native* NativeOfContent(HWND hwnd);
    Native* NativeOfSurface(const wl_surface* surface);
    const WaylandOutput* SelectedOutput() const;
    // One wait on the display (none: no limit), then what it brought.
    void Pump(std::optional<std::int64_t> timeoutNs);
    void AfterDispatch();
    void SleepUntilNs(std::int64_t deadlineNs);
    // Waits for the first configure of a new surface; false when it did
    // not come in time or the surface was closed first.
    bool AwaitConfigure(CWaylandSurface& surface);
    // The surface has a new buffer size: its windows follow.
    void FollowSize(HWND owner, Native& n);
    [[noreturn]] void OutputGone();

    WaylandOptions m_options;
    std::unique_ptr<CWaylandDisplay> m_display;
    std::uint32_t m_outputGlobal = 0; // the registry name of the output shown
    std::map<HWND, Native> m_native;  // by the window owning the surface
    HWND m_host = nullptr;            // the --window host, while it exists
    std::uint64_t m_inputCount = 0;   // input messages posted so far
};
