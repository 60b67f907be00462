// StartWayland: the desktop options for Wayland, the platform, and the
// several-output run.
#include "main/wayland_run.h"

#include <stdexcept>

#include "app/saver_app.h"
#include "backends/wayland/wayland_desktop.h"
#include "backends/x11/x11_options.h"
#include "main/show_processes.h"

namespace {

// True when the arguments left after the desktop options open the dialog.
bool OpensDialog(const X11Options& options, int argc, char** argv)
{
    if (options.target != X11Target::Switch)
        return false;
    const char* sw = argc > 1 ? argv[1] : nullptr;
    return !MatchSwitch(sw, 's') && !MatchSwitch(sw, 'p');
}

int RunShowsOnOutputs(const std::string& exe, const std::vector<std::string>& given,
                      const std::vector<WaylandOutputInfo>& outputs)
{
    CShowProcesses shows;
    for (std::size_t i = 0; i < outputs.size(); ++i)
        shows.Start(exe, ShowArguments(given, ShowMonitor{outputs[i].rect, int(i)},
                                       {"--wayland-output=" + outputs[i].name}));
    const int status = shows.WaitForFirstEnd(kExitOutputGone);
    shows.EndAll();
    return status;
}

} // namespace

WaylandStart StartWayland(int& argc, char**& argv, const DesktopChoice& choice,
                          const std::optional<ShowMonitor>& monitor, const std::vector<std::string>& given)
{
    // The X11 backend's option table serves both desktops (--window,
    // --speed); parsed on a copy first, so that the dialog, which is X11's,
    // still finds them.
    std::vector<char*> copy(argv, argv + argc + 1);
    int left = argc;
    const X11Options desktop = ParseX11Options(left, copy.data());
    if (OpensDialog(desktop, left, copy.data()))
        return {};
    if (desktop.target == X11Target::Root || desktop.target == X11Target::WindowId)
        throw std::invalid_argument("--root and --window-id draw into X windows: run with --x11");
    ParseX11Options(argc, argv);

    WaylandOptions options;
    options.ownWindow = desktop.target == X11Target::OwnWindow;
    options.speed = desktop.speed;
    options.output = choice.output;
    std::unique_ptr<CWaylandPlatform> platform = CreateWaylandPlatform(argc, argv, options);
    if (monitor) {
        platform->SetMonitor(*monitor);
    } else if (argc > 1 && MatchSwitch(argv[1], 's')) {
        const std::vector<WaylandOutputInfo> outputs = platform->Outputs();
        if (outputs.size() > 1) {
            platform.reset(); // each show connects on its own
            return WaylandStart{nullptr, RunShowsOnOutputs(CPosixPlatform::ExecutablePath(), given, outputs)};
        }
    }
    return WaylandStart{std::move(platform), std::nullopt};
}
