// The options every platform's saver reads alike, from the option table:
// --monitor (only right after the program name, where a several-monitor
// run puts it) and the picture options (anywhere, with their value after
// '=' or as the next word). What is left goes to the platform's own
// reading: on Windows the switch and the handle, on POSIX the backend's
// leading options first.
// Trade-off: the picture options are taken wherever they stand, after the
// switch too, so a picture option's name can never be a preview handle.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "disk_pictures/disk_pictures.h"
#include "framework/monitor_layout.h"

struct CommonOptions {
    std::optional<ShowMonitor> monitor; // this process is one monitor's show
    PictureOptions pictures;
    // The command line without --monitor, program name first: what each
    // monitor's show is started with (ShowArguments).
    std::vector<std::string> given;
};

// Reads `args` (the program name first) for the options of `runs`, in the
// order they stand; `rest` gets the other arguments after the program
// name, in order. Throws OptionError or MonitorLayoutError (a malformed
// --monitor), std::invalid_argument (a value the picture options refuse).
CommonOptions ReadCommonOptions(std::span<const std::string> args, unsigned runs, std::vector<std::string>& rest);
