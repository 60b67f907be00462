// The POSIX saver's command line, read once into one value: the options
// every platform reads (common_options.h), the run (headless when
// --headless is among the leading options, else the desktop), the run's
// leading options into the backend's value (HeadlessOptions, X11Options),
// and the switch and handle after them into the application's command.
//   mosvik [--monitor=K:WxH+X+Y] --headless=WxH [--NAME=VALUE...] SWITCH [HANDLE]
//   mosvik [--monitor=K:WxH+X+Y] [--root | --window-id ID | --window] [--speed N] [SWITCH [HANDLE]]
//   mosvik [--monitor=K:WxH+X+Y] [--wayland | --x11] [--window] [--speed N] [SWITCH [HANDLE]]
// with the picture options anywhere. A lone "--" ends the leading options.
// The desktop run is Wayland's with --wayland, or in a Wayland session
// (WAYLAND_DISPLAY set, DISPLAY not) without --x11; else X11's.
// Trade-off: the two runs keep the grammars and messages they had when
// each backend read its own options (see OptionGrammar), so scripts that
// call the saver see no change.
#pragma once

#include <span>
#include <string>

#include "app/command_line.h"
#include "backends/headless/headless_options.h"
#include "backends/wayland/wayland_options.h"
#include "backends/x11/x11_options.h"
#include "main/common_options.h"
#include "main/option_table.h"

struct SaverOptions : CommonOptions {
    bool help = false, version = false; // answered before anything else is read
    OptionRun run = kRunX11;
    HeadlessOptions headless; // for kRunHeadless
    X11Options x11;           // for kRunX11
    WaylandOptions wayland;   // for kRunWayland
    SaverCommand command;
};

// Reads `args` (the program name first). `built` are the runs this
// executable has (kRunHeadless, and kRunX11 and kRunWayland where it was
// built with them); `waylandSession` tells that the session is Wayland's
// (WaylandSession). Throws OptionError, or std::invalid_argument for a
// value a lower floor refused.
SaverOptions ParseSaverOptions(std::span<const std::string> args, unsigned built, bool waylandSession = false);

// A Wayland session without X: WAYLAND_DISPLAY is set and DISPLAY is not
// (null or empty: not set).
bool WaylandSession(const char* waylandDisplay, const char* display);
