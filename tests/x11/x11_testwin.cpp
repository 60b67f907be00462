// Helper of the virtual-display tests, playing the part of the display
// settings or XScreenSaver around the saver:
//   mosvik-x11-testwin window W H   makes and maps a W x H window, prints
//       its id (decimal) and then obeys lines on standard input:
//       "destroy" destroys it, "focus" gives the input focus to a new small
//       window; each answers "done". End of input ends the program.
//   mosvik-x11-testwin close ID      asks window ID to close the way a
//       window manager does (WM_DELETE_WINDOW).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

// Waits (at most two seconds) until the server shows the window.
bool WaitViewable(Display* dpy, Window w)
{
    for (int i = 0; i < 200; ++i) {
        XWindowAttributes attrs{};
        if (XGetWindowAttributes(dpy, w, &attrs) && attrs.map_state == IsViewable)
            return true;
        ::usleep(10000);
    }
    return false;
}

Window MakeWindow(Display* dpy, int x, int y, int w, int h, unsigned long pixel)
{
    const int screen = DefaultScreen(dpy);
    const Window win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, unsigned(w), unsigned(h), 0,
                                           BlackPixel(dpy, screen), pixel);
    XMapWindow(dpy, win);
    XSync(dpy, False);
    WaitViewable(dpy, win);
    return win;
}

int RunWindow(Display* dpy, int w, int h)
{
    const Window win = MakeWindow(dpy, 0, 0, w, h, WhitePixel(dpy, DefaultScreen(dpy)));
    std::cout << win << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "destroy") {
            XDestroyWindow(dpy, win);
        } else if (line == "focus") {
            const Window other = MakeWindow(dpy, 10, 10, 40, 40, BlackPixel(dpy, DefaultScreen(dpy)));
            XSetInputFocus(dpy, other, RevertToParent, CurrentTime);
        } else {
            std::cerr << "unknown command: " << line << "\n";
            continue;
        }
        XSync(dpy, False);
        std::cout << "done" << std::endl;
    }
    return 0;
}

int Close(Display* dpy, Window win)
{
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = win;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, win, False, NoEventMask, &ev);
    XSync(dpy, False);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::cerr << "mosvik-x11-testwin: no display\n";
        return 2;
    }
    int status = 2;
    if (argc == 4 && std::strcmp(argv[1], "window") == 0)
        status = RunWindow(dpy, std::atoi(argv[2]), std::atoi(argv[3]));
    else if (argc == 3 && std::strcmp(argv[1], "close") == 0)
        status = Close(dpy, Window(std::strtoul(argv[2], nullptr, 0)));
    else
        std::cerr << "usage: mosvik-x11-testwin window W H | close ID\n";
    XCloseDisplay(dpy);
    return status;
}
