// CHeadlessPlatform: the virtual clock and what happens as it moves
// (samples, input, the stop time), the virtual display and the scripted
// configuration dialog.
#include "backends/headless/headless_platform.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "app/saver_app.h"
#include "backends/headless/frame_output.h"
#include "backends/posix/stop_signals.h"
#include "framework/wnd.h"
#include "resources/resource.h"
#include "framework/tick.h"

namespace {

constexpr WPARAM kVkSpace = 0x20;
constexpr LPARAM kSpaceKeyData = 0x00390001; // repeat count 1, scan code of the space bar
constexpr WPARAM kMkLButton = 0x0001, kMkRButton = 0x0002, kMkMButton = 0x0010;

// The trackbar of the scripted dialog: a position always inside its range.
class CHeadlessSlider : public ISliderPeer {
public:
    void SetRange(int nMin, int nMax, BOOL) override
    {
        m_nMin = nMin;
        m_nMax = nMax;
        SetPos(m_nPos);
    }
    void SetPos(int nPos) override { m_nPos = std::clamp(nPos, m_nMin, std::max(m_nMin, m_nMax)); }
    int GetPos() const override { return m_nPos; }

private:
    int m_nMin = 0, m_nMax = 100, m_nPos = 0;
};

} // namespace

CHeadlessPlatform::CHeadlessPlatform(const HeadlessOptions& options, std::vector<InputEvent> input,
                                     HWND previewParent)
    : m_options(options), m_clock(options.clockStart), m_input(std::move(input)), m_previewParent(previewParent)
{
    if (m_previewParent)
        AddForeignWindow(m_previewParent, SIZE{options.width, options.height});
}

CHeadlessPlatform::~CHeadlessPlatform() = default;

HWND CHeadlessPlatform::PreviewParentOf(const SaverCommand& command)
{
    // The application's own rules, so the parent made here is the one it asks for.
    const std::optional<std::int64_t> value = command.PreviewHandle();
    if (!value || *value < INTPTR_MIN || *value > INTPTR_MAX)
        return nullptr;
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(*value));
}

void CHeadlessPlatform::AddFrameSink(std::unique_ptr<IFrameSink> sink) { m_sinks.push_back(std::move(sink)); }

void CHeadlessPlatform::OpenOutputs()
{
    for (auto& sink : OpenFrameSinks(m_options))
        AddFrameSink(std::move(sink));
}

DWORD CHeadlessPlatform::GetTickCount()
{
    const DWORD ticks = m_clock.Ticks();
    AdvanceTo(m_clock.Now() + CVirtualClock::kUnitsPerMs);
    return ticks;
}

void CHeadlessPlatform::Sleep(DWORD ms) { AdvanceTo(m_clock.Now() + std::int64_t(ms) * CVirtualClock::kUnitsPerMs); }

void CHeadlessPlatform::SleepUntilTick(DWORD tick)
{
    if (const DWORD ahead = TicksUntil(tick, m_clock.Ticks()))
        AdvanceTo((m_clock.NowMs() + std::int64_t(ahead)) * CVirtualClock::kUnitsPerMs);
}

std::int64_t CHeadlessPlatform::GetTime()
{
    return m_clock.CalendarSeconds() + (Monitor() ? Monitor()->ClockOffset() : 0);
}

void CHeadlessPlatform::WaitForRefresh(HWND) { AdvanceTo(m_clock.Now() + CVirtualClock::kRefreshUnits); }

void CHeadlessPlatform::AdvanceTo(std::int64_t target)
{
    ExitIfStopped();
    const std::int64_t stop = m_options.stopAfter.value_or(std::numeric_limits<std::int64_t>::max());
    const std::int64_t end = std::min(target, stop);
    if (end > m_clock.Now()) {
        // Every sample whose time the clock now passes shows the display
        // as it is: nothing drew while the clock moved.
        if (!m_sinks.empty()) {
            while (CVirtualClock::SampleTime(m_nextSample, m_options.fps) < end)
                TakeSample(m_nextSample++);
        }
        m_clock.Set(end);
    }
    if (m_clock.Now() >= stop)
        Exit(0);
    PostDueInput();
}

void CHeadlessPlatform::TakeSample(std::int64_t index)
{
    if (!AddToFrameSinks(m_sinks, ComposeDisplay(), index, m_options.fps))
        Exit(1);
}

const CSurface& CHeadlessPlatform::ComposeDisplay()
{
    std::vector<const CPosixWindow*> shown;
    for (CPosixWindow* w : Windows()) {
        if (w->foreign)
            continue;
        bool visible = true;
        for (const CPosixWindow* p = w; p && visible; p = p->parent ? FindWindow(p->parent) : nullptr)
            visible = p->foreign || (p->style & WS_VISIBLE);
        if (visible)
            shown.push_back(w);
    }
    // One window over the whole display is the display: no copy of it.
    if (shown.size() == 1) {
        const CPosixWindow& w = *shown.front();
        const POINT o = ScreenOrigin(w);
        if (o.x == 0 && o.y == 0 && w.surface.Width() == m_options.width && w.surface.Height() == m_options.height)
            return w.surface;
    }
    m_display.Resize(m_options.width, m_options.height);
    m_display.Fill(0);
    for (const CPosixWindow* w : shown) {
        const POINT o = ScreenOrigin(*w);
        const int x0 = std::max<LONG>(o.x, 0), y0 = std::max<LONG>(o.y, 0);
        const int x1 = int(std::min<std::int64_t>(std::int64_t(o.x) + w->surface.Width(), m_display.Width()));
        const int y1 = int(std::min<std::int64_t>(std::int64_t(o.y) + w->surface.Height(), m_display.Height()));
        for (int y = y0; y < y1; ++y) {
            const std::uint32_t* src = w->surface.Row(y - o.y) + (x0 - o.x);
            std::copy(src, src + std::max(x1 - x0, 0), m_display.Row(y) + x0);
        }
    }
    return m_display;
}

void CHeadlessPlatform::PostDueInput()
{
    while (m_nextInput < m_input.size() && m_input[m_nextInput].time <= m_clock.Now())
        Deliver(m_input[m_nextInput++]);
}

void CHeadlessPlatform::Deliver(const InputEvent& ev)
{
    if (ev.kind == InputKind::DestroyParent) {
        m_destroyParentDue = true;
        return;
    }
    if (ev.kind == InputKind::MouseMove)
        m_mouse = POINT{ev.x, ev.y};
    if (Monitor() && !ReachesThisMonitor(ev.kind))
        return; // another monitor's show takes it
    CPosixWindow* target = InputWindow();
    if (!target)
        return; // no window to take it: the input is lost, as on a desktop
    const HWND h = target->hwnd;
    POINT o = ScreenOrigin(*target);
    if (Monitor()) {
        o.x += Monitor()->rect.x;
        o.y += Monitor()->rect.y;
    }
    const LPARAM at = MAKELPARAM(m_mouse.x - o.x, m_mouse.y - o.y);
    switch (ev.kind) {
    case InputKind::MouseMove:
        PostMessage(h, WM_MOUSEMOVE, 0, at);
        break;
    case InputKind::KeyDown:
        PostMessage(h, WM_KEYDOWN, kVkSpace, kSpaceKeyData);
        break;
    case InputKind::LButtonDown:
        PostMessage(h, WM_LBUTTONDOWN, kMkLButton, at);
        break;
    case InputKind::RButtonDown:
        PostMessage(h, WM_RBUTTONDOWN, kMkRButton, at);
        break;
    case InputKind::MButtonDown:
        PostMessage(h, WM_MBUTTONDOWN, kMkMButton, at);
        break;
    case InputKind::Deactivate:
        PostMessage(h, WM_NCACTIVATE, FALSE, 0);
        PostMessage(h, WM_ACTIVATE, WA_INACTIVE, 0);
        PostMessage(h, WM_ACTIVATEAPP, FALSE, 0);
        break;
    case InputKind::Close:
        PostMessage(h, WM_CLOSE, 0, 0);
        break;
    case InputKind::DestroyParent:
        break;
    }
}

bool CHeadlessPlatform::ReachesThisMonitor(InputKind kind) const
{
    // The pointer and its buttons go to the monitor under the pointer;
    // keys, the loss of activation and closing to the show with the focus.
    switch (kind) {
    case InputKind::MouseMove:
    case InputKind::LButtonDown:
    case InputKind::RButtonDown:
    case InputKind::MButtonDown: {
        const MonitorRect& r = Monitor()->rect;
        return m_mouse.x >= r.x && m_mouse.y >= r.y && std::int64_t(m_mouse.x) < std::int64_t(r.x) + r.width &&
               std::int64_t(m_mouse.y) < std::int64_t(r.y) + r.height;
    }
    default:
        return Monitor()->TakesFocus();
    }
}

void CHeadlessPlatform::PollEvents()
{
    PostDueInput();
    if (m_destroyParentDue) {
        m_destroyParentDue = false;
        if (m_previewParent && FindWindow(m_previewParent))
            DestroyForeignWindow(m_previewParent);
    }
}

void CHeadlessPlatform::WaitForEvents(std::optional<std::int64_t> timeoutMs)
{
    std::optional<std::int64_t> target;
    auto earliest = [&](std::int64_t t) { target = target ? std::min(*target, t) : t; };
    if (timeoutMs)
        earliest((m_clock.NowMs() + *timeoutMs) * CVirtualClock::kUnitsPerMs);
    if (m_nextInput < m_input.size())
        earliest(m_input[m_nextInput].time);
    if (m_options.stopAfter)
        earliest(*m_options.stopAfter);
    if (!target) {
        std::fprintf(stderr, "mosvik: headless run waits for nothing (no timer, input or --stop-after)\n");
        Exit(1);
    }
    AdvanceTo(std::max(*target, m_clock.Now() + 1));
}

int CHeadlessPlatform::RunDialog(CDialog& dlg, UINT)
{
    CHeadlessSlider slider;
    dlg.BindControl(IDC_SPEED, &slider);
    dlg.OnInitDialog();
    if (!dlg.IsEnded()) {
        if (m_options.configOk) {
            slider.SetPos(m_options.configPosition);
            if (m_options.configFolder) {
                // As a user would: the radio button clicked, the folder typed.
                const UINT choice = m_options.configFolder->empty() ? IDC_OWN_PICTURE : IDC_FOLDER_PICTURES;
                dlg.CheckRadioButton(IDC_OWN_PICTURE, IDC_FOLDER_PICTURES, choice);
                dlg.OnCommand(choice);
                dlg.SetDlgItemText(IDC_PICTURE_FOLDER, *m_options.configFolder);
            }
            dlg.OnOK();
        } else {
            dlg.OnCancel();
        }
    }
    if (!dlg.IsEnded())
        dlg.EndDialog(IDCANCEL); // an OK the dialog refused: the user gives up
    dlg.BindControl(IDC_SPEED, nullptr); // the control is gone with the dialog
    return dlg.GetResult();
}

void CHeadlessPlatform::OnExit(int)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    if (!m_sinks.empty())
        CStopSignals::HoldOff(); // a recording is written whole or not at all
    FinishFrameSinks(m_sinks, CVirtualClock::SampleTime(m_nextSample, m_options.fps) / CVirtualClock::kUnitsPerMs);
}
