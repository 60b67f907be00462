// CWin32Platform: the core's side of the Win32 backend. Windows, the queue
// and the services are the system's (through win32_api.h); this file adds
// the window surfaces, the core's timer procedures and the guard that keeps
// C++ exceptions out of the system's frames.
#include "backends/win32/win32_platform.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/saver_app.h"
#include "framework/wnd.h"

namespace {

CWin32Platform* s_pPlatform = nullptr; // the one instance, made by RunSaver

w32::Rect ToRect(const RECT& r) { return w32::Rect{r.left, r.top, r.right, r.bottom}; }

// Full screen on several monitors: one show per monitor in a process of
// its own (the core's state is per show). -1 when there is one monitor or
// the shows could not be started; the caller then runs the one show itself.
int RunShowsOnMonitors(const std::vector<std::string>& given)
{
    std::vector<MonitorRect> found;
    for (const w32::Rect& r : w32::Monitors())
        found.push_back(MonitorRect{r.left, r.top, r.right - r.left, r.bottom - r.top});
    const SIZE screen = AfxGetPlatform().GetScreenSize();
    const std::vector<MonitorRect> monitors = ChooseMonitors(found, {}, MonitorRect{0, 0, screen.cx, screen.cy});
    if (monitors.size() < 2)
        return -1;
    std::vector<std::vector<std::string>> shows;
    for (std::size_t i = 0; i < monitors.size(); ++i)
        shows.push_back(ShowArguments(given, ShowMonitor{monitors[i], int(i)}, {}));
    return w32::RunShows(shows);
}

} // namespace

std::string CWin32Platform::GetModuleFileName() { return w32::ModuleFileName(); }

void CWin32Platform::Exit(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

DWORD CWin32Platform::GetTickCount() { return w32::TickCount(); }

void CWin32Platform::Sleep(DWORD ms) { w32::SleepMs(ms); }

void CWin32Platform::SleepUntilTick(DWORD tick) { w32::SleepUntilTick(tick); }

std::int64_t CWin32Platform::GetTime()
{
    return std::int64_t(std::time(nullptr)) + (m_monitor ? m_monitor->ClockOffset() : 0);
}

SIZE CWin32Platform::GetScreenSize()
{
    if (m_monitor)
        return SIZE{m_monitor->rect.width, m_monitor->rect.height};
    SIZE sz;
    w32::ScreenSize(sz.cx, sz.cy);
    return sz;
}

int CWin32Platform::GetLogPixelsY() { return w32::LogPixelsY(); }

int CWin32Platform::ScalePixels(HWND hwnd, int n)
{
    // The window is per-monitor DPI aware, so its messages count physical
    // pixels: at 200 % the mouse rule needs twice as many. Rounded to the
    // nearest pixel, halves up.
    return int((std::int64_t(n) * w32::WindowDpi(hwnd) + 48) / 96);
}

HWND CWin32Platform::CreateWindow(CWnd* owner, DWORD exStyle, DWORD style, const RECT& rc, HWND parent)
{
    if (m_monitor && !parent) {
        const MonitorRect& m = m_monitor->rect;
        const RECT placed{rc.left + m.x, rc.top + m.y, rc.right + m.x, rc.bottom + m.y};
        return w32::CreateMonitorWindow(owner, exStyle, style, ToRect(placed), m_monitor->TakesFocus());
    }
    return w32::CreateSaverWindow(owner, exStyle, style, ToRect(rc), parent);
}

BOOL CWin32Platform::DestroyWindow(HWND hwnd) { return w32::DestroyWin(hwnd) ? TRUE : FALSE; }

BOOL CWin32Platform::IsWindow(HWND hwnd) { return hwnd && w32::IsWin(hwnd) ? TRUE : FALSE; }

BOOL CWin32Platform::GetClientRect(HWND hwnd, RECT* rc)
{
    w32::Rect r;
    if (!rc || !w32::ClientRect(hwnd, r))
        return FALSE;
    *rc = RECT{r.left, r.top, r.right, r.bottom};
    return TRUE;
}

CWin32Platform::WindowState& CWin32Platform::State(HWND hwnd)
{
    // The surface follows the client area; a new size starts it afresh.
    WindowState& st = m_windows[hwnd];
    RECT rc{};
    GetClientRect(hwnd, &rc);
    const int w = rc.right > rc.left ? rc.right - rc.left : 0;
    const int h = rc.bottom > rc.top ? rc.bottom - rc.top : 0;
    if (st.surface.Width() != w || st.surface.Height() != h)
        st.surface.Resize(w, h);
    return st;
}

void CWin32Platform::Forget(HWND hwnd)
{
    m_windows.erase(hwnd);
    for (auto it = m_timerProcs.begin(); it != m_timerProcs.end();) {
        if (it->first.first == hwnd)
            it = m_timerProcs.erase(it);
        else
            ++it;
    }
}

CSurface* CWin32Platform::GetWindowSurface(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return nullptr;
    return &State(hwnd).surface;
}

void CWin32Platform::Present(HWND hwnd, const RECT& rc)
{
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end())
        return;
    WindowState& st = it->second;
    const RECT bounds{0, 0, st.surface.Width(), st.surface.Height()};
    RECT r{};
    if (!IntersectRect(r, rc, bounds))
        return;
    // While WM_PAINT is dispatched only the update region is drawn, as a
    // paint DC would clip it.
    if (st.painting && !IntersectRect(r, r, st.paint))
        return;
    w32::PresentPixels(hwnd, st.surface.Pixels(), st.surface.Width(), st.surface.Height(), ToRect(r));
}

void CWin32Platform::WaitForRefresh(HWND) { w32::WaitForRefresh(); }

void CWin32Platform::ConvertIncoming(const w32::Msg& in, MSG* out) const
{
    out->hwnd = in.hwnd;
    out->message = in.message;
    out->wParam = in.wParam;
    out->lParam = in.lParam;
    // A timer the core gave a procedure carries it in lParam, as on Windows.
    if (in.message == WM_TIMER && in.lParam == 0) {
        auto it = m_timerProcs.find({in.hwnd, in.wParam});
        if (it != m_timerProcs.end())
            out->lParam = reinterpret_cast<LPARAM>(it->second);
    }
}

BOOL CWin32Platform::PeekMessage(MSG* msg)
{
    w32::Msg m;
    for (;;) {
        if (!w32::PeekMsg(m))
            return FALSE;
        // A close request for a saver window is honoured at once: the
        // full-screen pump would otherwise drop it unseen.
        if (m.message == WM_CLOSE && CWnd::FromHandlePermanent(m.hwnd)) {
            w32::DispatchMsg(m);
            continue;
        }
        ConvertIncoming(m, msg);
        return TRUE;
    }
}

BOOL CWin32Platform::GetMessage(MSG* msg)
{
    w32::Msg m;
    const int r = w32::GetMsg(m);
    if (r < 0) {
        *msg = MSG{};
        return FALSE;
    }
    ConvertIncoming(m, msg);
    return r > 0 ? TRUE : FALSE;
}

void CWin32Platform::TranslateMessage(const MSG* msg)
{
    w32::Msg m;
    m.hwnd = msg->hwnd;
    m.message = msg->message;
    m.wParam = msg->wParam;
    m.lParam = msg->lParam;
    w32::TranslateMsg(m);
}

LRESULT CWin32Platform::DispatchMessage(const MSG* msg)
{
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto it = m_timerProcs.find({msg->hwnd, msg->wParam});
        if (it != m_timerProcs.end() && reinterpret_cast<LPARAM>(it->second) == msg->lParam) {
            it->second(msg->hwnd, WM_TIMER, msg->wParam, w32::TickCount());
            return 0;
        }
    }
    w32::Msg m;
    m.hwnd = msg->hwnd;
    m.message = msg->message;
    m.wParam = msg->wParam;
    m.lParam = msg->lParam;
    return w32::DispatchMsg(m);
}

LRESULT CWin32Platform::DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return w32::DefProc(hwnd, message, wParam, lParam);
}

void CWin32Platform::PostQuitMessage(int code) { w32::PostQuit(code); }

UINT_PTR CWin32Platform::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    const UINT_PTR r = w32::SetWinTimer(hwnd, id, elapse);
    if (r == 0)
        return 0;
    // A window's timer keeps its id; a thread timer gets a new one.
    const UINT_PTR key = hwnd ? id : r;
    if (proc)
        m_timerProcs[{hwnd, key}] = proc;
    else
        m_timerProcs.erase({hwnd, key});
    return r;
}

BOOL CWin32Platform::KillTimer(HWND hwnd, UINT_PTR id)
{
    m_timerProcs.erase({hwnd, id});
    return w32::KillWinTimer(hwnd, id) ? TRUE : FALSE;
}

int CWin32Platform::GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                  const char* entry, int nDefault)
{
    return w32::ReadProfileInt(registryKey, appName, section, entry, nDefault);
}

BOOL CWin32Platform::WriteProfileInt(const std::string& registryKey, const std::string& appName,
                                     const char* section, const char* entry, int value)
{
    return w32::StoreProfileInt(registryKey, appName, section, entry, value) ? TRUE : FALSE;
}

std::optional<std::string> CWin32Platform::GetProfileString(const std::string& registryKey,
                                                            const std::string& appName, const char* section,
                                                            const char* entry)
{
    std::string value;
    if (!w32::ReadProfileText(registryKey, appName, section, entry, value))
        return std::nullopt;
    return value;
}

BOOL CWin32Platform::WriteProfileString(const std::string& registryKey, const std::string& appName,
                                        const char* section, const char* entry, const std::string& value)
{
    return w32::StoreProfileText(registryKey, appName, section, entry, value) ? TRUE : FALSE;
}

BOOL CWin32Platform::FindExecutable(const std::string& file, std::string& program)
{
    return w32::FindProgramFor(file, program) ? TRUE : FALSE;
}

void CWin32Platform::ShellExecute(const std::string& program, const char* verb, const char* parameters)
{
    w32::OpenWithProgram(program, verb, parameters);
}

std::vector<BYTE> CWin32Platform::LoadBitmapResource(UINT id)
{
    std::vector<BYTE> dib;
    if (w32::LoadBitmapBytes(id, dib))
        return dib;
    return {};
}

void CWin32Platform::ReportStartupFailure(const std::string& text)
{
    IPlatform::ReportStartupFailure(text);
    if (!m_bQuiet)
        w32::ShowErrorBox(text);
}

LRESULT CWin32Platform::OnWindowMessage(CWnd* owner, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        const RECT* paint)
{
    // The permanent map knows the window once its object has seen a message;
    // before that the creation parameter names the object.
    CWnd* pWnd = CWnd::FromHandlePermanent(hwnd);
    if (!pWnd)
        pWnd = owner;
    if (message == WM_SIZE)
        State(hwnd);
    if (!paint) {
        const LRESULT r = pWnd->OnMessageGuarded(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY)
            Forget(hwnd);
        return r;
    }
    // Painting: Present clips to the update rectangle until the handler
    // returns (handlers do not nest inside WM_PAINT, but a state is looked
    // up again afterwards in case the window went meanwhile).
    {
        WindowState& st = State(hwnd);
        st.painting = true;
        st.paint = *paint;
    }
    const LRESULT r = pWnd->OnMessageGuarded(hwnd, message, wParam, lParam);
    auto it = m_windows.find(hwnd);
    if (it != m_windows.end())
        it->second.painting = false;
    return r;
}

namespace w32::core {

std::intptr_t WindowMessage(void* owner, Handle h, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, const Rect* paint) noexcept
{
    try {
        RECT rcPaint{};
        if (paint)
            rcPaint = RECT{paint->left, paint->top, paint->right, paint->bottom};
        if (!s_pPlatform)
            return w32::DefProc(h, message, wParam, lParam);
        return s_pPlatform->OnWindowMessage(static_cast<CWnd*>(owner), h, message, wParam, lParam,
                                            paint ? &rcPaint : nullptr);
    } catch (const std::exception& e) {
        // OnMessageGuarded catches what the handlers throw; this is the last
        // line before the system's own frames, which no exception may cross.
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "mosvik: unexpected failure in a window message\n");
    }
    std::fflush(nullptr);
    std::exit(1);
}

int RunSaver(const SaverCommand& command, const std::optional<ShowMonitor>& monitor,
             const std::vector<std::string>& given, const std::function<void()>& prepare) noexcept
{
    try {
        // Made before the application object, so destroyed after it at exit.
        static CWin32Platform platform(command.mode == SaverCommand::Mode::Preview);
        s_pPlatform = &platform;
        AfxSetPlatform(&platform);
        if (prepare)
            prepare();
        platform.SetMonitor(monitor);
        if (!monitor && command.mode == SaverCommand::Mode::FullScreen) {
            const int status = RunShowsOnMonitors(given);
            if (status >= 0)
                return status;
        }
        return AfxWinMain(command);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "mosvik: unexpected failure\n");
    }
    return 1;
}

} // namespace w32::core
