// Saver windows on Win32: one window class (redrawn on resize, cursor 129,
// no background brush, no icon), the window procedure that hands every
// message to the core, the thread's message queue, timers without
// procedures (the core's procedures are called core side, since a Win32
// TIMERPROC has another calling convention on i686), and presentation of a
// client-area rectangle with SetDIBitsToDevice. Each change is one GDI
// copy straight to the window: simple and immediate, with no double
// buffering of its own beyond the core's surface (so no tear-free flips).
#include <windows.h>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_handles.h"
#include "resources/resource.h"

namespace w32 {
namespace {

constexpr char kClassName[] = "MosvikSaverWindow";

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

Msg FromNative(const MSG& m)
{
    Msg msg;
    msg.hwnd = m.hwnd;
    msg.message = m.message;
    msg.wParam = m.wParam;
    msg.lParam = m.lParam;
    msg.time = m.time;
    msg.ptX = m.pt.x;
    msg.ptY = m.pt.y;
    return msg;
}

MSG ToNative(const Msg& msg)
{
    MSG m{};
    m.hwnd = msg.hwnd;
    m.message = msg.message;
    m.wParam = msg.wParam;
    m.lParam = msg.lParam;
    m.time = msg.time;
    m.pt.x = msg.ptX;
    m.pt.y = msg.ptY;
    return m;
}

LRESULT CALLBACK SaverWndProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The core object arrives as the creation parameter and is kept with
    // the window; messages before WM_NCCREATE (WM_GETMINMAXINFO) get the
    // default processing.
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    void* owner = reinterpret_cast<void*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
    if (!owner)
        return ::DefWindowProcA(h, message, wParam, lParam);

    LRESULT result = 0;
    if (message == WM_PAINT) {
        // The core paints into the window's surface; BeginPaint/EndPaint
        // validate the update region so Windows stops asking.
        PAINTSTRUCT ps;
        if (!::BeginPaint(h, &ps))
            return 0;
        const Rect paint{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
        result = core::WindowMessage(owner, h, message, wParam, lParam, &paint);
        ::EndPaint(h, &ps);
        return result;
    }
    if (message == WM_ENDSESSION && wParam) {
        // The session ends: go now, the way a destroyed window ends the saver.
        ::DestroyWindow(h);
        return 0;
    }
    result = core::WindowMessage(owner, h, message, wParam, lParam, nullptr);
    if (message == WM_SETCURSOR && result && (::GetWindowLongPtrA(h, GWL_STYLE) & WS_POPUP)) {
        // The full-screen window answers "handled" without setting a cursor:
        // hide the pointer rather than keep the last shape.
        ::SetCursor(nullptr);
    }
    if (message == WM_NCDESTROY)
        ::SetWindowLongPtrA(h, GWLP_USERDATA, 0); // the core object may be gone now
    return result;
}

bool RegisterSaverClass()
{
    WNDCLASSA wc{};
    if (::GetClassInfoA(Instance(), kClassName, &wc))
        return true;
    wc = WNDCLASSA{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverWndProc;
    wc.hInstance = Instance();
    wc.hCursor = ::LoadCursorA(Instance(), MAKEINTRESOURCEA(IDC_MOVE));
    wc.hbrBackground = nullptr;
    wc.hIcon = nullptr;
    wc.lpszClassName = kClassName;
    return ::RegisterClassA(&wc) != 0;
}

} // namespace

Handle CreateSaverWindow(void* owner, std::uint32_t exStyle, std::uint32_t style, const Rect& rc, Handle parent)
{
    if (!RegisterSaverClass())
        return nullptr;
    return ::CreateWindowExA(exStyle, kClassName, "", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                             parent, nullptr, Instance(), owner);
}

bool DestroyWin(Handle h) { return ::DestroyWindow(h) != FALSE; }

bool IsWin(Handle h) { return ::IsWindow(h) != FALSE; }

bool ClientRect(Handle h, Rect& rc)
{
    RECT r;
    if (!::GetClientRect(h, &r))
        return false;
    rc = Rect{r.left, r.top, r.right, r.bottom};
    return true;
}

bool PeekMsg(Msg& msg)
{
    MSG m;
    if (!::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        return false;
    msg = FromNative(m);
    return true;
}

int GetMsg(Msg& msg)
{
    MSG m;
    const BOOL r = ::GetMessageA(&m, nullptr, 0, 0);
    if (r < 0)
        return -1;
    msg = FromNative(m);
    return r ? 1 : 0;
}

void TranslateMsg(const Msg& msg)
{
    const MSG m = ToNative(msg);
    ::TranslateMessage(&m);
}

std::intptr_t DispatchMsg(const Msg& msg)
{
    const MSG m = ToNative(msg);
    return ::DispatchMessageA(&m);
}

std::intptr_t DefProc(Handle h, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    return ::DefWindowProcA(h, message, wParam, lParam);
}

void PostQuit(int code) { ::PostQuitMessage(code); }

std::uintptr_t SetWinTimer(Handle h, std::uintptr_t id, std::uint32_t elapse)
{
    return ::SetTimer(h, id, elapse, nullptr);
}

bool KillWinTimer(Handle h, std::uintptr_t id) { return ::KillTimer(h, id) != FALSE; }

void PresentPixels(Handle h, const std::uint32_t* pixels, int width, int height, const Rect& rc)
{
    if (!pixels || rc.left < 0 || rc.top < 0 || rc.right > width || rc.bottom > height || rc.left >= rc.right ||
        rc.top >= rc.bottom)
        return;
    WindowDc dc(h);
    if (!dc.Get())
        return;
    // The DIB handed over is the band of rows the rectangle spans (full
    // surface width, top-down), so no scan-line offsets are involved.
    const int rows = rc.bottom - rc.top;
    const BITMAPINFO bi = w32::TopDown32BitmapInfo(width, rows);
    const std::uint32_t* band = pixels + std::size_t(rc.top) * std::size_t(width);
    ::SetDIBitsToDevice(dc.Get(), rc.left, rc.top, DWORD(rc.right - rc.left), DWORD(rows), rc.left, 0, 0, UINT(rows),
                        band, &bi, DIB_RGB_COLORS);
}

} // namespace w32
