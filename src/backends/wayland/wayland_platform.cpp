// CWaylandPlatform: outputs, the saver's surfaces, presenting, and the
// waits (message loop, sleeps, refresh) on the display connection.
#include "backends/wayland/wayland_platform.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "app/saver_app.h"
#include "backends/posix/stop_signals.h"
#include "backends/wayland/wayland_display.h"
#include "backends/wayland/wayland_surface.h"
#include "framework/tick.h"
#include "resources/resource.h"

namespace {
constexpr std::int64_t kNsPerMs = 1000000;
constexpr std::int64_t kConfigureWaitNs = 5000 * kNsPerMs; // a compositor answers at once; a hung one gets this
constexpr SIZE kHostSize{800, 600};                        // --window's first logical size
constexpr SIZE kHostMinSize{64, 48};
constexpr std::uint64_t kHostHandle = 1; // no window record lives at so low an address

std::int64_t NowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts); // the clock of the base's timers and ticks
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

SIZE OutputBufferSize(const WaylandOutput& o)
{
    try {
        return BufferSize(o.LogicalSize(), SurfaceScale{o.scale, 0});
    } catch (const std::length_error&) {
        return o.LogicalSize();
    }
}
} // namespace

CWaylandPlatform::CWaylandPlatform(const WaylandOptions& options) : m_options(options)
{
    WatchStopSignals();
    m_display = std::make_unique<CWaylandDisplay>(static_cast<IWaylandInput&>(*this));
}

CWaylandPlatform::~CWaylandPlatform()
{
    m_native.clear(); // surfaces before the connection
    m_display.reset();
}

std::vector<WaylandOutputInfo> CWaylandPlatform::Outputs() const
{
    std::vector<WaylandOutputInfo> list;
    for (const WaylandOutput* o : m_display->Outputs()) {
        const SIZE size = OutputBufferSize(*o);
        list.push_back(WaylandOutputInfo{o->name, MonitorRect{o->x, o->y, int(size.cx), int(size.cy)}});
    }
    return list;
}

bool CWaylandPlatform::HasLayerShell() const { return m_display->LayerShell() != nullptr; }

bool CWaylandPlatform::SelectOutput()
{
    const std::vector<const WaylandOutput*> outputs = m_display->Outputs();
    const WaylandOutput* chosen = nullptr;
    if (!m_options.output.empty())
        chosen = m_display->FindOutput(m_options.output);
    else if (!outputs.empty())
        chosen = outputs.front();
    m_outputGlobal = chosen ? chosen->global : 0;
    return chosen != nullptr;
}

const WaylandOutput* CWaylandPlatform::SelectedOutput() const
{
    for (const WaylandOutput* o : m_display->Outputs()) {
        if (o->global == m_outputGlobal)
            return o;
    }
    return nullptr;
}

std::vector<MonitorRect> CWaylandPlatform::GetMonitors()
{
    std::vector<MonitorRect> list;
    for (const WaylandOutputInfo& o : Outputs())
        list.push_back(o.rect);
    return list;
}

SIZE CWaylandPlatform::GetScreenSize()
{
    if (const WaylandOutput* o = SelectedOutput())
        return OutputBufferSize(*o);
    const std::vector<const WaylandOutput*> outputs = m_display->Outputs();
    return outputs.empty() ? SIZE{} : OutputBufferSize(*outputs.front());
}

int CWaylandPlatform::ScalePixels(HWND hwnd, int n)
{
    const Native* native = NativeOfContent(hwnd);
    return native ? ScaleLength(n, native->surface->Scale()) : n;
}

CWaylandPlatform::Native* CWaylandPlatform::NativeOfContent(HWND hwnd)
{
    for (auto& [owner, n] : m_native) {
        if (n.content == hwnd && hwnd)
            return &n;
    }
    return nullptr;
}

CWaylandPlatform::Native* CWaylandPlatform::NativeOfSurface(const wl_surface* surface)
{
    for (auto& [owner, n] : m_native) {
        if (n.surface->Surface() == surface && surface)
            return &n;
    }
    return nullptr;
}

bool CWaylandPlatform::AwaitConfigure(CWaylandSurface& surface)
{
    const std::int64_t deadline = NowNs() + kConfigureWaitNs;
    try {
        while (!surface.Configured() && !surface.Closed()) {
            ExitIfStopped();
            const std::int64_t left = deadline - NowNs();
            if (left <= 0)
                return false;
            m_display->Dispatch(StopFd(), left);
        }
    } catch (const WaylandError& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        Exit(1);
    }
    return surface.Configured() && !surface.Closed();
}

std::uint64_t CWaylandPlatform::MakeHostWindow()
{
    std::unique_ptr<CWaylandSurface> surface =
        CWaylandSurface::MakeToplevel(*m_display, MOSVIK_NAME_TEXT, "mosvik", kHostSize, kHostMinSize);
    if (!AwaitConfigure(*surface))
        throw std::runtime_error("the compositor did not configure the saver's window");
    surface->TakeResized();
    const HWND host = reinterpret_cast<HWND>(static_cast<std::intptr_t>(kHostHandle));
    AddForeignWindow(host, surface->BufferSize());
    m_host = host;
    m_native.emplace(host, Native{std::move(surface), nullptr, false});
    return kHostHandle;
}

bool CWaylandPlatform::OnWindowCreated(CPosixWindow& w)
{
    if (w.parent && w.parent == m_host) {
        // The preview inside the --window host: the host's surface shows it.
        Native& host = m_native.at(m_host);
        host.content = w.hwnd;
        host.surface->SetContent(&w.surface);
        return true;
    }
    if (w.parent || !(w.style & WS_POPUP))
        return false; // Wayland has no other place for a window of the saver
    const WaylandOutput* output = SelectedOutput();
    if (!output) {
        if (!m_options.output.empty())
            OutputGone(); // unplugged between the listing and this show's start
        std::fprintf(stderr, "mosvik: no Wayland output to cover\n");
        return false;
    }
    std::unique_ptr<CWaylandSurface> surface;
    try {
        surface = CWaylandSurface::MakeLayer(*m_display, output->output.get(), output->LogicalSize(), output->scale);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return false;
    }
    if (!AwaitConfigure(*surface)) {
        if (surface->Closed() || m_display->OutputRemoved(m_outputGlobal))
            OutputGone();
        std::fprintf(stderr, "mosvik: the compositor did not configure the saver's surface\n");
        return false;
    }
    surface->TakeResized();
    // The window takes the configured size before WM_CREATE.
    const SIZE size = surface->BufferSize();
    if (w.rect.right - w.rect.left != size.cx || w.rect.bottom - w.rect.top != size.cy) {
        try {
            w.surface.Resize(int(size.cx), int(size.cy));
        } catch (const std::length_error&) {
            return false;
        }
        w.surface.Fill(0);
        w.rect = RECT{w.rect.left, w.rect.top, w.rect.left + size.cx, w.rect.top + size.cy};
    }
    surface->SetContent(&w.surface);
    m_native.emplace(w.hwnd, Native{std::move(surface), w.hwnd, true});
    return true;
}

void CWaylandPlatform::OnWindowDestroyed(CPosixWindow& w)
{
    if (Native* n = NativeOfContent(w.hwnd); n && !n->fullScreen) {
        n->content = nullptr;
        n->surface->SetContent(nullptr);
    }
    if (w.hwnd == m_host)
        m_host = nullptr;
    m_native.erase(w.hwnd);
}

void CWaylandPlatform::FollowSize(HWND owner, Native& n)
{
    const SIZE size = n.surface->BufferSize();
    CPosixWindow* hostRecord = n.fullScreen ? nullptr : FindWindow(owner);
    if (hostRecord)
        hostRecord->rect = RECT{0, 0, size.cx, size.cy};
    CPosixWindow* w = n.content ? FindWindow(n.content) : nullptr;
    if (!w || (w->rect.right - w->rect.left == size.cx && w->rect.bottom - w->rect.top == size.cy))
        return;
    w->rect.right = w->rect.left + size.cx;
    w->rect.bottom = w->rect.top + size.cy;
    try {
        w->surface.Resize(int(size.cx), int(size.cy));
    } catch (const std::length_error&) {
        w->surface.Resize(0, 0); // nothing is shown until it is smaller again
    }
    // White until painted again, as a window that was resized on X11.
    w->surface.Fill(0xFFFFFF);
    Invalidate(w->hwnd);
    n.surface->Present(RECT{0, 0, size.cx, size.cy});
}

void CWaylandPlatform::Present(HWND hwnd, const RECT& rc)
{
    Native* n = NativeOfContent(hwnd);
    if (!n)
        return;
    for (const RECT& r : PaintClip(hwnd, rc))
        n->surface->Present(r);
}

void CWaylandPlatform::OutputGone() { CPosixPlatform::Exit(Monitor() ? kExitOutputGone : 0); }

void CWaylandPlatform::AfterDispatch()
{
    if (m_outputGlobal && m_display->OutputRemoved(m_outputGlobal))
        OutputGone();
    const WaylandOutput* output = SelectedOutput();
    bool hostClosed = false;
    for (auto& [owner, n] : m_native) {
        CWaylandSurface& s = *n.surface;
        if (s.Closed()) {
            if (n.fullScreen)
                OutputGone(); // the compositor took the surface away with its output
            hostClosed = true;
            continue;
        }
        if (n.fullScreen && output) {
            s.SetIntegerScale(output->scale);
        } else if (s.TakeOutputsChanged()) {
            // A window is drawn for the densest output it is on.
            int scale = 1;
            for (wl_output* on : s.Outputs()) {
                if (const WaylandOutput* o = m_display->FindOutput(on))
                    scale = std::max(scale, o->scale);
            }
            s.SetIntegerScale(scale);
        }
        if (s.TakeResized())
            FollowSize(owner, n);
        s.TryCommit();
    }
    if (hostClosed && m_host) {
        // The preview inside goes with it, which ends the saver.
        const HWND host = m_host;
        DestroyForeignWindow(host);
        m_native.erase(host);
    }
}

void CWaylandPlatform::Pump(std::optional<std::int64_t> timeoutNs)
{
    try {
        m_display->Dispatch(StopFd(), timeoutNs);
    } catch (const WaylandError& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        Exit(1);
    }
    AfterDispatch();
}

void CWaylandPlatform::WaitForEvents(std::optional<std::int64_t> timeoutMs)
{
    if (CStopSignals::Raised())
        return; // PollEvents ends the process
    Pump(timeoutMs ? std::optional<std::int64_t>(*timeoutMs * kNsPerMs) : std::nullopt);
}

void CWaylandPlatform::PollEvents()
{
    ExitIfStopped();
    Pump(0);
}

void CWaylandPlatform::SleepUntilNs(std::int64_t deadlineNs)
{
    for (;;) {
        ExitIfStopped();
        const std::int64_t left = deadlineNs - NowNs();
        if (left <= 0)
            return;
        Pump(left);
    }
}

void CWaylandPlatform::Sleep(DWORD ms) { SleepUntilNs(NowNs() + std::int64_t(ms) * kNsPerMs); }

void CWaylandPlatform::SleepUntilTick(DWORD tick)
{
    const std::int64_t nowMs = MonotonicMs();
    if (const DWORD ahead = TicksUntil(tick, DWORD(std::uint64_t(nowMs))))
        SleepUntilNs((nowMs + ahead) * kNsPerMs); // the tick's first instant
}

void CWaylandPlatform::WaitForRefresh(HWND hwnd)
{
    const std::uint64_t inputBefore = m_inputCount;
    for (;;) {
        ExitIfStopped();
        Native* n = NativeOfContent(hwnd);
        if (!n || !n->surface->FramePending() || m_inputCount != inputBefore)
            return;
        Pump(std::nullopt);
    }
}

int CWaylandPlatform::GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                    const char* entry, int nDefault)
{
    // --speed answers for the stored speed during this run, as on X11.
    if (m_options.speed && section && entry && std::string(section) == kSpeedSection &&
        std::string(entry) == kSpeedEntry)
        return *m_options.speed;
    return CPosixPlatform::GetProfileInt(registryKey, appName, section, entry, nDefault);
}

int CWaylandPlatform::RunDialog(CDialog&, UINT) { return IDCANCEL; }

void CWaylandPlatform::OnExit(int)
{
    m_native.clear();
    m_display.reset(); // the compositor drops whatever was left
}
