// CX11Platform: the display, native windows for the saver's windows,
// presenting, waiting on the connection and the setting override.
// The application's header comes before Xlib's, whose macros (Status)
// would otherwise rewrite its declarations.
#include "app/saver_app.h"
#include "backends/x11/x11_platform.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "backends/x11/gtk_config_dialog.h"
#include "resources/resource.h"
#include "backends/x11/x11_display.h"
#include "backends/x11/x11_image.h"
#include "backends/posix/stop_signals.h"

namespace {
constexpr int kHostWidth = 800, kHostHeight = 600; // --window's first size
constexpr int kHostMinWidth = 64, kHostMinHeight = 48;

void SetTitle(CX11Display& d, Window w, const char* title)
{
    XStoreName(d.Dpy(), w, title);
    XChangeProperty(d.Dpy(), w, d.netWmName, d.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), int(std::strlen(title)));
    XClassHint hint{};
    char name[] = "mosvik", cls[] = "Mosvik";
    hint.res_name = name;
    hint.res_class = cls;
    XSetClassHint(d.Dpy(), w, &hint);
    const long pid = long(::getpid());
    XChangeProperty(d.Dpy(), w, d.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
}
} // namespace

CX11Platform::CX11Platform(const X11Options& options)
    : m_options(options)
{
    WatchStopSignals();
}

CX11Platform::~CX11Platform()
{
    m_native.clear(); // images release their shared memory through the display
    m_display.reset();
}

CX11Display& CX11Platform::Connection()
{
    if (!m_display)
        m_display = std::make_unique<CX11Display>();
    return *m_display;
}

CX11Platform::Native* CX11Platform::NativeOf(HWND hwnd)
{
    auto it = m_native.find(hwnd);
    return it == m_native.end() ? nullptr : &it->second;
}

HWND CX11Platform::HandleOf(Window window) const
{
    auto it = m_byWindow.find(window);
    return it == m_byWindow.end() ? nullptr : it->second;
}

bool CX11Platform::AdoptParent(std::uint64_t xid)
{
    CX11Display& d = Connection();
    const Window window = Window(xid);
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::intptr_t>(xid));
    if (xid == 0 || FindWindow(hwnd))
        return FindWindow(hwnd) != nullptr;
    XWindowAttributes attrs{};
    Status got = 0;
    if (!d.Checked([&] { got = XGetWindowAttributes(d.Dpy(), window, &attrs); }) || !got)
        return false;
    // Structure events tell when it is resized or destroyed. Our selection
    // on someone else's window does not change theirs.
    if (!d.Checked([&] { XSelectInput(d.Dpy(), window, StructureNotifyMask); }))
        return false;
    AddForeignWindow(hwnd, SIZE{attrs.width, attrs.height}, xid);
    m_byWindow[window] = hwnd;
    return true;
}

std::uint64_t CX11Platform::MakeHostWindow()
{
    CX11Display& d = Connection();
    const int w = std::min(kHostWidth, DisplayWidth(d.Dpy(), d.Screen()));
    const int h = std::min(kHostHeight, DisplayHeight(d.Dpy(), d.Screen()));
    XSetWindowAttributes attrs{};
    attrs.background_pixel = BlackPixel(d.Dpy(), d.Screen());
    attrs.event_mask = StructureNotifyMask;
    attrs.colormap = d.GetColormap();
    const Window host = XCreateWindow(d.Dpy(), d.Root(), 0, 0, unsigned(w), unsigned(h), 0, d.Depth(), InputOutput,
                                      d.GetVisual(), CWBackPixel | CWEventMask | CWColormap, &attrs);
    SetTitle(d, host, MOSVIK_NAME_TEXT);
    Atom protocols[] = {d.wmDeleteWindow};
    XSetWMProtocols(d.Dpy(), host, protocols, 1);
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PMinSize;
        hints->min_width = kHostMinWidth;
        hints->min_height = kHostMinHeight;
        XSetWMNormalHints(d.Dpy(), host, hints);
        XFree(hints);
    }
    XMapWindow(d.Dpy(), host);
    m_host = host;
    if (!AdoptParent(host))
        throw std::runtime_error("cannot make the saver's window");
    return host;
}

int CX11Platform::RunDialog(CDialog& dlg, UINT templateId)
{
    if (templateId != IDD_CONFIG)
        return IDCANCEL; // the saver has no other dialog
    return RunGtkConfigDialog(dlg, StopFd());
}

SIZE CX11Platform::GetScreenSize()
{
    if (Monitor())
        return SIZE{Monitor()->rect.width, Monitor()->rect.height};
    CX11Display& d = Connection();
    return SIZE{DisplayWidth(d.Dpy(), d.Screen()), DisplayHeight(d.Dpy(), d.Screen())};
}

bool CX11Platform::OnWindowCreated(CPosixWindow& w)
{
    CX11Display* d = nullptr;
    try {
        d = &Connection();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return false;
    }
    Window parent = d->Root();
    if (w.parent) {
        const CPosixWindow* p = FindWindow(w.parent);
        if (!p || p->native == 0)
            return false;
        parent = Window(p->native);
    }
    const bool topLevel = parent == d->Root();
    const bool fullScreen = !w.parent && (w.style & WS_POPUP);
    const bool takesInput = !w.parent; // a child never reacts to input

    XSetWindowAttributes attrs{};
    unsigned long valueMask = CWBackPixmap | CWEventMask | CWColormap | CWBitGravity | CWBackingStore;
    attrs.background_pixmap = None; // the core paints every pixel itself
    // A server that keeps covered parts sends fewer exposures, each of
    // which the saver answers by painting the window white.
    attrs.backing_store = WhenMapped;
    // Our own colormap and border: a parent with another visual (a saver
    // daemon's window may have one) then accepts the child.
    attrs.colormap = d->GetColormap();
    attrs.border_pixel = 0;
    valueMask |= CWBorderPixel;
    attrs.bit_gravity = NorthWestGravity;
    attrs.event_mask = ExposureMask | StructureNotifyMask;
    if (takesInput)
        attrs.event_mask |= KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask;
    // Windows made over the root without a window manager's frame: the
    // full-screen popup, and the preview drawn on the root itself.
    if (fullScreen || (topLevel && w.parent)) {
        attrs.override_redirect = True;
        valueMask |= CWOverrideRedirect;
    }
    if (fullScreen) {
        attrs.cursor = d->InvisibleCursor();
        valueMask |= CWCursor;
    } else if (w.parent && m_bMoveCursor) {
        attrs.cursor = d->MoveCursor();
        valueMask |= CWCursor;
    }

    const int width = std::max<LONG>(w.rect.right - w.rect.left, 1);
    const int height = std::max<LONG>(w.rect.bottom - w.rect.top, 1);
    // One monitor's show: its screen is that monitor.
    const int left = w.rect.left + (topLevel && Monitor() ? Monitor()->rect.x : 0);
    const int top = w.rect.top + (topLevel && Monitor() ? Monitor()->rect.y : 0);
    Window window = None;
    if (!d->Checked([&] {
            window = XCreateWindow(d->Dpy(), parent, left, top, unsigned(width), unsigned(height), 0,
                                   d->Depth(), InputOutput, d->GetVisual(), valueMask, &attrs);
        }))
        return false; // the parent went away meanwhile
    if (!w.parent) {
        SetTitle(*d, window, MOSVIK_NAME_TEXT);
        if (!fullScreen) {
            Atom protocols[] = {d->wmDeleteWindow};
            XSetWMProtocols(d->Dpy(), window, protocols, 1);
        }
    }

    Native n;
    n.window = window;
    n.gc = XCreateGC(d->Dpy(), window, 0, nullptr);
    XSetGraphicsExposures(d->Dpy(), n.gc, False);
    n.image = std::make_unique<CX11Image>(*d);
    try {
        n.image->Fit(w.surface, w.surface.Width(), w.surface.Height());
    } catch (const std::exception&) {
        // No image yet: the surface keeps its own pixels and Show retries.
    }
    n.takesInput = takesInput;
    n.fullScreen = fullScreen;
    w.native = window;
    m_byWindow[window] = w.hwnd;
    m_native.emplace(w.hwnd, std::move(n));

    if (w.style & WS_VISIBLE) {
        if (topLevel && w.parent)
            XLowerWindow(d->Dpy(), window); // a live background under the other windows
        if (fullScreen)
            XMapRaised(d->Dpy(), window);
        else
            XMapWindow(d->Dpy(), window);
    }
    XFlush(d->Dpy());
    return true;
}

void CX11Platform::OnWindowDestroyed(CPosixWindow& w)
{
    auto it = m_native.find(w.hwnd);
    if (it == m_native.end())
        return;
    Native& n = it->second;
    if (m_display) {
        Display* dpy = m_display->Dpy();
        n.image.reset();
        if (n.grabbed) {
            XUngrabPointer(dpy, CurrentTime);
            XUngrabKeyboard(dpy, CurrentTime);
        }
        XFreeGC(dpy, n.gc);
        if (!n.gone)
            XDestroyWindow(dpy, n.window); // an error if it vanished meanwhile is ignored
        XFlush(dpy);
    }
    m_byWindow.erase(n.window);
    m_native.erase(it);
}

void CX11Platform::Present(HWND hwnd, const RECT& rc)
{
    Native* n = NativeOf(hwnd);
    CPosixWindow* w = FindWindow(hwnd);
    if (!n || !w || n->gone || !m_display)
        return;
    for (const RECT& r : PaintClip(hwnd, rc))
        n->image->Show(n->window, n->gc, w->surface, r);
    XFlush(m_display->Dpy());
}

int CX11Platform::GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                const char* entry, int nDefault)
{
    // --speed answers for the stored speed during this run; the store
    // itself is neither read nor changed.
    if (m_options.speed && section && entry && std::string(section) == kSpeedSection &&
        std::string(entry) == kSpeedEntry)
        return *m_options.speed;
    return CPosixPlatform::GetProfileInt(registryKey, appName, section, entry, nDefault);
}

void CX11Platform::WaitForEvents(std::optional<std::int64_t> timeoutMs)
{
    if (CStopSignals::Raised())
        return; // PollEvents ends the process
    pollfd fds[2] = {};
    nfds_t count = 0;
    fds[count++] = pollfd{StopFd(), POLLIN, 0};
    if (m_display) {
        Display* dpy = m_display->Dpy();
        XFlush(dpy);
        if (XPending(dpy) > 0)
            return; // already read from the connection: poll would not see them
        fds[count++] = pollfd{m_display->Fd(), POLLIN, 0};
    }
    int timeout = -1;
    if (timeoutMs)
        timeout = int(std::clamp<std::int64_t>(*timeoutMs, 0, INT_MAX));
    if (!timeoutMs && count == 1) {
        // Nothing could ever wake the loop: no display, no timer.
        std::fprintf(stderr, "mosvik: nothing to wait for\n");
        Exit(1);
    }
    while (::poll(fds, count, timeout) < 0 && errno == EINTR) {
        if (CStopSignals::Raised())
            return;
    }
}

void CX11Platform::PollEvents()
{
    ExitIfStopped();
    if (!m_display)
        return;
    Display* dpy = m_display->Dpy();
    while (XPending(dpy) > 0) {
        XEvent ev{};
        XNextEvent(dpy, &ev);
        HandleEvent(ev);
        if (!m_display)
            return;
    }
    HandleErrors();
    for (auto& [hwnd, n] : m_native) {
        if (n.fullScreen && n.mapped && !n.grabbed && MonotonicMs() < n.grabUntil)
            TryGrab(n);
    }
}

void CX11Platform::OnExit(int)
{
    // Closing the connection destroys every window made here; images give
    // their shared memory back first.
    m_native.clear();
    m_display.reset();
}
