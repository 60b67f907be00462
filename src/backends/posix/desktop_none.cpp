// Weak defaults of the desktop seam for a build without a desktop backend:
// only --headless runs.
#include <cstdio>
#include <cstdlib>

#include "backends/posix/desktop.h"

__attribute__((weak)) std::unique_ptr<CPosixPlatform> CreateDesktopPlatform(int&, char**&)
{
    std::fprintf(stderr, "mosvik: not built with X11 support: use --headless=WIDTHxHEIGHT\n");
    std::exit(2);
}

__attribute__((weak)) const char* DesktopUsage() { return ""; }
