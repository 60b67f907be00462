// The Wayland run of the POSIX saver, from main(): the Wayland platform for
// this process, or, for a full screen over several outputs, one show per
// output in a child process of its own (the saver started again with
// --monitor=K:WxH+X+Y, --wayland and --wayland-output=NAME in front), and
// the status that run ended with. A show whose output is unplugged ends
// with kExitOutputGone and the others go on; any other ending (input, a
// signal, a failure) ends them all, as on X11.
//
// The configuration dialog is not drawn here: it is the X11 backend's GTK
// dialog, which GTK shows on Wayland by itself.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "backends/posix/posix_platform.h"
#include "backends/wayland/wayland_options.h"
#include "framework/monitor_layout.h"

struct WaylandStart {
    std::unique_ptr<CPosixPlatform> platform; // this process draws
    std::optional<int> status;                // the shows ran: their status
    // Neither: the command is the dialog, which the X11 backend runs.
};

// Starts the run for `command`; --window turns it into the preview of the
// window made. `dialogByX11`: the build has the X11 backend for the
// dialog. `beforeShows`, when set, is told the number of shows before
// they start (it may add to `given`). Throws std::exception with one line
// for the user (the process ends with status 2).
WaylandStart StartWayland(const WaylandOptions& options, SaverCommand& command,
                          const std::optional<ShowMonitor>& monitor, const std::vector<std::string>& given,
                          bool dialogByX11, const std::function<void(std::size_t)>& beforeShows = {});
