// Which desktop backend draws a run that is not headless, from the leading
// options and the session's environment:
//   --x11                     X11 (under a Wayland session: XWayland)
//   --wayland                 Wayland
//   neither                   Wayland when WAYLAND_DISPLAY is set and DISPLAY
//                             is not, else X11
//   --wayland-output=NAME     (internal) the output a several-output run's
//                             show covers, put in front by the run itself
// Until the one option table takes them, they are taken out of argv here,
// among the leading "--" options, before any other parser sees them.
#pragma once

#include <string>

struct DesktopChoice {
    bool wayland = false;
    bool x11 = false;
    std::string output; // --wayland-output
};

// Takes the options above out of the leading arguments. Throws
// std::invalid_argument when --wayland and --x11 are both given or the
// output has no name.
DesktopChoice TakeDesktopChoice(int& argc, char** argv);

// True when the run is Wayland's; the environment's values are passed in
// (null: not set).
bool ChoosesWayland(const DesktopChoice& choice, const char* waylandDisplay, const char* display);
