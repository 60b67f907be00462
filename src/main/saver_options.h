// The POSIX saver's command line, read once into one value: the options
// every platform reads (common_options.h), the run (headless when
// --headless is among the leading options, else the desktop), the run's
// leading options into the backend's value (HeadlessOptions, X11Options),
// and the switch and handle after them into the application's command.
//   mosvik [--monitor=K:WxH+X+Y] --headless=WxH [--NAME=VALUE...] SWITCH [HANDLE]
//   mosvik [--monitor=K:WxH+X+Y] [--root | --window-id ID | --window] [--speed N] [SWITCH [HANDLE]]
// with the picture options anywhere. A lone "--" ends the leading options.
// Trade-off: the two runs keep the grammars and messages they had when
// each backend read its own options (see OptionGrammar), so scripts that
// call the saver see no change.
#pragma once

#include <span>
#include <string>

#include "app/command_line.h"
#include "backends/headless/headless_options.h"
#include "backends/x11/x11_options.h"
#include "main/common_options.h"
#include "main/option_table.h"

struct SaverOptions : CommonOptions {
    bool help = false, version = false; // answered before anything else is read
    OptionRun run = kRunX11;
    HeadlessOptions headless; // for kRunHeadless
    X11Options x11;           // for kRunX11
    SaverCommand command;
};

// Reads `args` (the program name first). `built` are the runs this
// executable has (kRunHeadless, and kRunX11 where it was built with X11).
// Throws OptionError, or std::invalid_argument for a value a lower floor
// refused.
SaverOptions ParseSaverOptions(std::span<const std::string> args, unsigned built);
