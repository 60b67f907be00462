// CHeadlessPlatform: runs the real application on a virtual display with
// a virtual clock, scripted input and sampled output, so that a run is a
// pure function of its options.
//
// Time moves only when the application waits: each tick-count read moves
// it 1 ms, Sleep by its length, WaitForRefresh by one 60 Hz refresh, and
// GetMessage with nothing to do jumps to the next timer, input event or
// stop time; SleepUntilTick jumps to the tick. A watched stop signal (real
// time) ends the run at the next movement of the clock. While it moves, display samples are taken at --fps (each one
// shows the display as it was when the clock passed its time), due input
// is posted and the stop time ends the run.
//
// A show of one monitor of several (SetMonitor) has that monitor as
// its display; the scripted pointer moves over the whole desktop and
// reaches it only over its monitor, keys only when it has the focus.
//
// The preview parent named on the command line is a foreign window of the
// display's size; "destroy-parent" destroys it (and so the preview) at the
// next PeekMessage/GetMessage, the point where a system delivers messages
// sent from elsewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/command_line.h"
#include "backends/headless/headless_options.h"
#include "backends/headless/input_script.h"
#include "backends/headless/virtual_clock.h"
#include "backends/posix/posix_platform.h"

class IFrameSink;

class CHeadlessPlatform : public CPosixPlatform {
public:
    // `previewParent`: the handle a preview run was given (null for none).
    CHeadlessPlatform(const HeadlessOptions& options, std::vector<InputEvent> input, HWND previewParent);
    ~CHeadlessPlatform() override;

    DWORD GetTickCount() override;
    void Sleep(DWORD ms) override;
    void SleepUntilTick(DWORD tick) override;
    std::int64_t GetTime() override;
    SIZE GetScreenSize() override { return SIZE{m_options.width, m_options.height}; }
    void Present(HWND, const RECT&) override {}
    void WaitForRefresh(HWND hwnd) override;
    int RunDialog(CDialog& dlg, UINT templateId) override;

    // Adds a destination for the samples (the platform owns it).
    void AddFrameSink(std::unique_ptr<IFrameSink> sink);
    // Makes the sinks named by the options (--frames, --record).
    void OpenOutputs();

    const CVirtualClock& Clock() const { return m_clock; }
    std::int64_t SamplesTaken() const { return m_nextSample; }
    // The display as it looks now: every visible window of this process
    // drawn in creation order over black. A single shown window covering
    // the display at (0, 0) is returned itself, so a full-screen show keeps
    // no second copy of its pixels; either stays valid until the windows
    // change or the next call.
    const CSurface& ComposeDisplay();

    // The handle a preview command names, read by the application's rules
    // (the preview switch, then a decimal number); null when it names none.
    static HWND PreviewParentOf(const SaverCommand& command);

protected:
    std::int64_t MonotonicMs() override { return m_clock.NowMs(); }
    void WaitForEvents(std::optional<std::int64_t> timeoutMs) override;
    void PollEvents() override;
    void OnExit(int status) override;

private:
    void AdvanceTo(std::int64_t units);
    void PostDueInput();
    void Deliver(const InputEvent& ev);
    bool ReachesThisMonitor(InputKind kind) const;
    void TakeSample(std::int64_t index);

    HeadlessOptions m_options;
    CVirtualClock m_clock;
    std::vector<InputEvent> m_input;
    std::size_t m_nextInput = 0;
    HWND m_previewParent = nullptr;
    bool m_destroyParentDue = false;
    POINT m_mouse{}; // last scripted pointer position (screen)
    std::vector<std::unique_ptr<IFrameSink>> m_sinks;
    std::int64_t m_nextSample = 0;
    CSurface m_display;
    bool m_bFinished = false;
};
