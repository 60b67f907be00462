// A run on Wayland, from main(): the Wayland platform for this process,
// or, for a full screen over several outputs, one show per output in a
// child process of its own (the saver started again with
// --monitor=K:WxH+X+Y and --wayland-output=NAME in front), and the status
// that run ended with. A show whose output is unplugged ends with
// kExitOutputGone and the others go on; any other ending (input, a
// signal, a failure) ends them all, as on X11.
//
// The configuration dialog is not drawn here: it is the X11 backend's GTK
// dialog, which GTK shows on Wayland by itself.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/posix/posix_platform.h"
#include "framework/monitor_layout.h"
#include "main/desktop_choice.h"

struct WaylandStart {
    std::unique_ptr<CPosixPlatform> platform; // this process draws
    std::optional<int> status;                // the shows ran: their status
    // Neither: the mode is the dialog, which the X11 backend runs.
};

// Reads the desktop options (--window, --speed; --root and --window-id are
// X11's and refused) and starts the run. Throws std::exception with one
// line for the user (the process ends with status 2).
WaylandStart StartWayland(int& argc, char**& argv, const DesktopChoice& choice,
                          const std::optional<ShowMonitor>& monitor, const std::vector<std::string>& given);
