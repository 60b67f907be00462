// The Wayland run of the POSIX saver: the platform made for the
// application's command, after main has read the options.
//   s           full screen, which needs the wlr layer shell; with several
//               outputs main starts one show per output (Outputs()), else
//               this process covers the one there is
//   --window    an xdg-shell window titled "Mosvik" with the preview inside:
//               the command becomes the preview of that window
//   p HANDLE    Wayland lends no other program's window to draw in: the
//               handle names no window, which the application reports
//   (nothing)   the configuration dialog is not made here (main runs GTK's)
#pragma once

#include <memory>

#include "app/command_line.h"
#include "backends/wayland/wayland_platform.h"

// Throws WaylandError with one line for the user when the compositor
// cannot run that mode: none to connect to, no layer shell for full screen
// (naming the protocol and --x11), no xdg-shell for --window, no output.
std::unique_ptr<CWaylandPlatform> CreateWaylandPlatform(const WaylandOptions& options, SaverCommand& command);

// The line for a compositor without the layer shell (GNOME's).
const char* NoLayerShellMessage();
