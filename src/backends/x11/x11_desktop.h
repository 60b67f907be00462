// The X11 desktop run of the POSIX saver: makes the platform from the
// backend's options and turns XScreenSaver's ways of naming a window into
// the application's preview command:
//   --root              -> /p <XSCREENSAVER_WINDOW, or the root window>
//   --window-id ID      -> /p <ID>
//   --window            -> /p <a new top-level window "Mosvik">
//   /p XID (no option)  -> the XID is adopted as the preview parent
// The display is opened before the application starts for every mode that
// draws, so that a missing display is one line and status 2; the dialog
// needs only GTK's own connection.
#pragma once

#include <memory>

#include "app/command_line.h"
#include "backends/x11/x11_options.h"
#include "backends/x11/x11_platform.h"

// Makes the platform for `command` (the switch and handle after the
// options); with --root, --window-id or --window, which take no switch,
// `command` becomes the preview of the window found or made. Throws
// std::runtime_error when the display or the window is missing.
std::unique_ptr<CX11Platform> CreateX11Platform(const X11Options& options, SaverCommand& command);
