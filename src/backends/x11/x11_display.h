// CX11Display: the connection to the X server with what every window of
// the saver needs from it: the screen, a visual the raster's pixels fit,
// the atoms of the window-manager protocols, an invisible and a move-arrow
// cursor, whether the MIT shared-memory extension can be used, and the
// error handling.
//
// Xlib reports protocol errors asynchronously through one process-wide
// handler. Ours never ends the process: it records the failing request's
// resource, which the platform collects with TakeErrors() (a window that
// vanished, usually the preview parent), and ErrorTrap() turns errors of a
// few synchronous requests into a result. A lost connection cannot be
// recovered by Xlib: that handler prints one line and ends with status 1.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

struct X11Error {
    unsigned long resource = 0; // the id the failed request named
    int code = 0;               // BadWindow, BadDrawable, ...
    int requestCode = 0;
};

class CX11Display {
public:
    // Opens $DISPLAY; throws std::runtime_error when it cannot.
    CX11Display();
    ~CX11Display();
    CX11Display(const CX11Display&) = delete;
    CX11Display& operator=(const CX11Display&) = delete;

    Display* Dpy() const { return m_dpy; }
    int Screen() const { return m_screen; }
    Window Root() const { return m_root; }
    Visual* GetVisual() const { return m_visual; }
    int Depth() const { return m_depth; }
    Colormap GetColormap() const { return m_colormap; }
    int Fd() const { return ConnectionNumber(m_dpy); }
    bool HasShm() const { return m_bShm; }
    void DisableShm() { m_bShm = false; }

    Atom wmProtocols = None;
    Atom wmDeleteWindow = None;
    Atom netWmPid = None;
    Atom netWmName = None;
    Atom utf8String = None;

    Cursor InvisibleCursor() const { return m_invisible; }
    Cursor MoveCursor() const { return m_move; }

    // Errors recorded since the last call, oldest first.
    std::vector<X11Error> TakeErrors();

    // Runs `request` and waits for the server: true when it caused no
    // protocol error (errors it caused are not reported by TakeErrors).
    template <typename F>
    bool Checked(F&& request)
    {
        BeginTrap();
        request();
        return EndTrap();
    }

private:
    void BeginTrap();
    bool EndTrap();

    Display* m_dpy = nullptr;
    int m_screen = 0;
    Window m_root = None;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    Colormap m_colormap = None;
    bool m_bShm = false;
    Cursor m_invisible = None;
    Cursor m_move = None;
};
