// CX11Platform: X events turned into the framework's messages, and the
// full-screen window's focus and grabs.
//   KeyPress -> WM_KEYDOWN (WM_SYSKEYDOWN with Alt held, or for F10)
//   ButtonPress 1/2/3 -> WM_LBUTTONDOWN/WM_MBUTTONDOWN/WM_RBUTTONDOWN
//     (the wheel and extra buttons are no buttons the saver knows)
//   MotionNotify -> WM_MOUSEMOVE in client coordinates
//   FocusOut of a focused input window -> WM_NCACTIVATE(0),
//     WM_ACTIVATE(WA_INACTIVE), WM_ACTIVATEAPP(0)
//   Expose -> WM_PAINT for the exposed rectangles; ConfigureNotify -> the
//     surface follows the size
//   DestroyNotify, or an error naming a vanished window -> the window (and
//     for a preview parent its children) is destroyed
//   WM_DELETE_WINDOW -> WM_CLOSE; for the --window host: the saver ends
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

#include "backends/x11/x11_display.h"
#include "backends/x11/x11_image.h"
#include "backends/x11/x11_keys.h"
#include "backends/x11/x11_platform.h"

namespace {
constexpr std::int64_t kGrabRetryMs = 3000; // another client may hold a grab briefly
constexpr WPARAM kMkLButton = 0x0001, kMkRButton = 0x0002, kMkShift = 0x0004, kMkControl = 0x0008,
                 kMkMButton = 0x0010;
constexpr LPARAM kAltContext = LPARAM(1) << 29;

WPARAM MouseKeys(unsigned state)
{
    WPARAM mk = 0;
    if (state & Button1Mask)
        mk |= kMkLButton;
    if (state & Button2Mask)
        mk |= kMkMButton;
    if (state & Button3Mask)
        mk |= kMkRButton;
    if (state & ShiftMask)
        mk |= kMkShift;
    if (state & ControlMask)
        mk |= kMkControl;
    return mk;
}

// A focus change that moves the focus away from the window itself, not a
// grab starting or ending nor a move into one of its children.
bool LosesFocus(const XFocusChangeEvent& ev)
{
    if (ev.mode != NotifyNormal && ev.mode != NotifyWhileGrabbed)
        return false;
    return ev.detail == NotifyAncestor || ev.detail == NotifyVirtual || ev.detail == NotifyNonlinear ||
           ev.detail == NotifyNonlinearVirtual;
}
} // namespace

void CX11Platform::HandleEvent(XEvent& ev)
{
    const HWND hwnd = HandleOf(ev.xany.window);
    Native* n = hwnd ? NativeOf(hwnd) : nullptr;
    switch (ev.type) {
    case Expose:
        if (n) {
            // Only what was uncovered is painted white again and shown.
            const RECT rc{ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width,
                          ev.xexpose.y + ev.xexpose.height};
            Invalidate(hwnd, &rc);
        }
        break;
    case KeyPress:
        if (n && n->takesInput)
            HandleKey(hwnd, ev.xkey);
        break;
    case ButtonPress:
        if (n && n->takesInput)
            HandleButton(hwnd, ev.xbutton);
        break;
    case MotionNotify:
        if (n && n->takesInput)
            PostMessage(hwnd, WM_MOUSEMOVE, MouseKeys(ev.xmotion.state), MAKELPARAM(ev.xmotion.x, ev.xmotion.y));
        break;
    case FocusIn:
        if (n && (ev.xfocus.mode == NotifyNormal || ev.xfocus.mode == NotifyWhileGrabbed) &&
            ev.xfocus.detail != NotifyPointer)
            n->focused = true;
        break;
    case FocusOut:
        if (n && n->takesInput)
            HandleFocusOut(hwnd, *n, ev.xfocus);
        break;
    case MapNotify:
        if (n && ev.xmap.window == n->window && n->fullScreen && !n->mapped) {
            n->mapped = true;
            if (Monitor() && !Monitor()->TakesFocus())
                break; // the show with the focus takes every key and pointer event
            n->grabUntil = MonotonicMs() + kGrabRetryMs;
            XSetInputFocus(Connection().Dpy(), n->window, RevertToParent, CurrentTime);
            TryGrab(*n);
        }
        break;
    case ConfigureNotify:
        if (hwnd && ev.xconfigure.window == ev.xconfigure.event)
            HandleConfigure(hwnd, ev.xconfigure);
        break;
    case DestroyNotify:
        HandleDestroy(ev.xdestroywindow.window);
        break;
    case ClientMessage:
        if (ev.xclient.message_type == Connection().wmProtocols && ev.xclient.format == 32 &&
            Atom(ev.xclient.data.l[0]) == Connection().wmDeleteWindow) {
            if (ev.xclient.window == m_host && m_host != None) {
                const Window host = m_host;
                HandleDestroy(host); // the preview inside ends the process
                if (m_display)
                    XDestroyWindow(m_display->Dpy(), host);
            } else if (n) {
                PostMessage(hwnd, WM_CLOSE, 0, 0);
            }
        }
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&ev.xmapping);
        break;
    default:
        break;
    }
}

void CX11Platform::HandleKey(HWND hwnd, XKeyEvent& ev)
{
    const KeySym sym = XLookupKeysym(&ev, 0);
    const bool altHeld = (ev.state & Mod1Mask) != 0 || IsAltKeysym(sym);
    const bool system = altHeld || IsF10Keysym(sym);
    LPARAM data = 1 | (LPARAM((ev.keycode >= 8 ? ev.keycode - 8 : 0) & 0xFF) << 16);
    if (altHeld)
        data |= kAltContext;
    PostMessage(hwnd, system ? WM_SYSKEYDOWN : WM_KEYDOWN, VirtualKeyFromKeysym(sym), data);
}

void CX11Platform::HandleButton(HWND hwnd, const XButtonEvent& ev)
{
    UINT message = 0;
    WPARAM pressed = 0;
    switch (ev.button) {
    case Button1:
        message = WM_LBUTTONDOWN;
        pressed = kMkLButton;
        break;
    case Button2:
        message = WM_MBUTTONDOWN;
        pressed = kMkMButton;
        break;
    case Button3:
        message = WM_RBUTTONDOWN;
        pressed = kMkRButton;
        break;
    default:
        return; // 4 to 7 are the wheel, 8 and 9 back and forward
    }
    PostMessage(hwnd, message, MouseKeys(ev.state) | pressed, MAKELPARAM(ev.x, ev.y));
}

void CX11Platform::HandleFocusOut(HWND hwnd, Native& n, const XFocusChangeEvent& ev)
{
    if (!n.focused || !LosesFocus(ev))
        return;
    n.focused = false;
    PostMessage(hwnd, WM_NCACTIVATE, FALSE, 0);
    PostMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    PostMessage(hwnd, WM_ACTIVATEAPP, FALSE, 0);
}

void CX11Platform::HandleConfigure(HWND hwnd, const XConfigureEvent& ev)
{
    CPosixWindow* w = FindWindow(hwnd);
    if (!w)
        return;
    const LONG width = std::max(ev.width, 0), height = std::max(ev.height, 0);
    if (w->rect.right - w->rect.left == width && w->rect.bottom - w->rect.top == height)
        return;
    w->rect.right = w->rect.left + width;
    w->rect.bottom = w->rect.top + height;
    if (w->foreign) {
        // A preview fills its parent: the children follow the new size.
        for (auto& [child, n] : m_native) {
            const CPosixWindow* c = FindWindow(child);
            if (c && c->parent == hwnd && !n.gone)
                XResizeWindow(Connection().Dpy(), n.window, unsigned(std::max<LONG>(width, 1)),
                              unsigned(std::max<LONG>(height, 1)));
        }
        return;
    }
    try {
        // A new image at the new size, lent to the surface when it can be.
        Native* n = NativeOf(hwnd);
        if (n && !n->gone)
            n->image->Fit(w->surface, width, height);
        else
            w->surface.Resize(width, height);
    } catch (const std::length_error&) {
        w->surface.Resize(0, 0); // nothing is drawn until it is smaller again
    }
    w->surface.Fill(0xFFFFFF);
    Invalidate(hwnd);
}

void CX11Platform::HandleDestroy(Window window)
{
    const HWND hwnd = HandleOf(window);
    if (!hwnd)
        return;
    CPosixWindow* w = FindWindow(hwnd);
    if (!w) {
        m_byWindow.erase(window);
        return;
    }
    if (w->foreign) {
        if (window == m_host)
            m_host = None;
        m_byWindow.erase(window);
        DestroyForeignWindow(hwnd); // its preview child is destroyed: the process ends
        return;
    }
    if (Native* n = NativeOf(hwnd))
        n->gone = true;
    if (!w->destroying)
        DestroyWindow(hwnd);
}

void CX11Platform::HandleErrors()
{
    if (!m_display)
        return;
    // An error naming a window means it is gone (a preview parent destroyed
    // before its DestroyNotify could be selected, or between two requests).
    for (const X11Error& e : m_display->TakeErrors()) {
        if (e.code == BadWindow || e.code == BadDrawable)
            HandleDestroy(Window(e.resource));
    }
}

void CX11Platform::TryGrab(Native& n)
{
    Display* dpy = Connection().Dpy();
    const bool keyboard = XGrabKeyboard(dpy, n.window, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    const bool pointer = XGrabPointer(dpy, n.window, True, ButtonPressMask | PointerMotionMask, GrabModeAsync,
                                      GrabModeAsync, None, Connection().InvisibleCursor(), CurrentTime) == GrabSuccess;
    // A device already grabbed stays so; the other is tried again later.
    n.grabbed = keyboard && pointer;
}
