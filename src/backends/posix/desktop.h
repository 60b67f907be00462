// The seam between the POSIX main() and a desktop backend. main() calls
// CreateDesktopPlatform when --headless is not given; a desktop backend
// (X11) defines it, parsing and removing its own leading "--" options from
// argv (argv[0] stays, the switch and its argument follow) and throwing
// std::runtime_error for an unknown one. It may point argv at an argument
// vector of its own that lives as long as the process (to turn its options
// into the preview switch and handle). Without such a backend a weak
// default reports that only the headless mode exists and ends with status 2.
//
// A backend's definition overrides the weak default only when its object
// file is part of the link: add its sources to the `mosvik` target
// (target_sources) or link them as an OBJECT library, not as a static
// archive, which the linker would never open for an already defined name.
#pragma once

#include <memory>

#include "backends/posix/posix_platform.h"

std::unique_ptr<CPosixPlatform> CreateDesktopPlatform(int& argc, char**& argv);

// Lines describing the desktop backend's options for --help (empty
// without one).
const char* DesktopUsage();
