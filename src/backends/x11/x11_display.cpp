// CX11Display: opening the display, atoms, cursors, the shared-memory
// probe and the error handlers.
#include "backends/x11/x11_display.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

// Xlib's handlers are plain functions for the whole process, so what they
// record lives here: errors waiting for TakeErrors, and the state of the
// one synchronous trap that may be open at a time.
struct ErrorState {
    std::vector<X11Error> pending;
    bool trapping = false;
    bool trapped = false;
};
ErrorState s_errors;

constexpr std::size_t kMaxPendingErrors = 256;

int OnXError(Display*, XErrorEvent* ev)
{
    if (s_errors.trapping) {
        s_errors.trapped = true;
        return 0;
    }
    // A flood of errors about one vanished window needs only a few entries.
    if (s_errors.pending.size() < kMaxPendingErrors)
        s_errors.pending.push_back(X11Error{ev->resourceid, ev->error_code, ev->request_code});
    return 0;
}

int OnXIOError(Display*)
{
    static const char msg[] = "mosvik: lost the connection to the X display\n";
    std::fflush(stdout);
    (void)!::write(2, msg, sizeof msg - 1);
    // Exit handlers could talk to the dead connection again: leave at once.
    std::_Exit(1);
}

} // namespace

CX11Display::CX11Display()
{
    const char* name = std::getenv("DISPLAY");
    m_dpy = XOpenDisplay(nullptr);
    if (!m_dpy)
        throw std::runtime_error(name && *name ? "cannot open the X display \"" + std::string(name) + "\""
                                               : std::string("no X display (DISPLAY is not set)"));
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);

    m_screen = DefaultScreen(m_dpy);
    m_root = RootWindow(m_dpy, m_screen);
    m_visual = DefaultVisual(m_dpy, m_screen);
    m_depth = DefaultDepth(m_dpy, m_screen);
    m_colormap = DefaultColormap(m_dpy, m_screen);
    if (m_visual->c_class != TrueColor && m_visual->c_class != DirectColor) {
        XCloseDisplay(m_dpy);
        throw std::runtime_error("the X display has no true-colour default visual");
    }

    wmProtocols = XInternAtom(m_dpy, "WM_PROTOCOLS", False);
    wmDeleteWindow = XInternAtom(m_dpy, "WM_DELETE_WINDOW", False);
    netWmPid = XInternAtom(m_dpy, "_NET_WM_PID", False);
    netWmName = XInternAtom(m_dpy, "_NET_WM_NAME", False);
    utf8String = XInternAtom(m_dpy, "UTF8_STRING", False);

    // A 1x1 cursor whose only pixel is masked out shows nothing.
    static const char kEmpty[1] = {0};
    Pixmap blank = XCreateBitmapFromData(m_dpy, m_root, kEmpty, 1, 1);
    XColor black{};
    m_invisible = XCreatePixmapCursor(m_dpy, blank, blank, &black, &black, 0, 0);
    XFreePixmap(m_dpy, blank);
    m_move = XCreateFontCursor(m_dpy, XC_fleur);

    // Shared memory works only with a local server; the attach itself is
    // the test, made by the first image (see x11_image.cpp).
    int major = 0, minor = 0;
    Bool pixmaps = False;
    m_bShm = XShmQueryVersion(m_dpy, &major, &minor, &pixmaps) && !std::getenv("MOSVIK_X11_NO_SHM");
}

CX11Display::~CX11Display()
{
    if (m_invisible != None)
        XFreeCursor(m_dpy, m_invisible);
    if (m_move != None)
        XFreeCursor(m_dpy, m_move);
    XCloseDisplay(m_dpy);
}

std::vector<X11Error> CX11Display::TakeErrors()
{
    std::vector<X11Error> errors;
    errors.swap(s_errors.pending);
    return errors;
}

void CX11Display::BeginTrap()
{
    XSync(m_dpy, False); // earlier errors belong to the pending list
    s_errors.trapping = true;
    s_errors.trapped = false;
}

bool CX11Display::EndTrap()
{
    XSync(m_dpy, False);
    s_errors.trapping = false;
    return !s_errors.trapped;
}
