// StartWayland of a build without libwayland: the run needs --x11.
#include <stdexcept>

#include "main/wayland_run.h"

WaylandStart StartWayland(int&, char**&, const DesktopChoice&, const std::optional<ShowMonitor>&,
                          const std::vector<std::string>&)
{
    throw std::runtime_error("not built with Wayland support: run with --x11 (XWayland)");
}
