// StartWayland: the platform, and the several-output run.
#include "main/wayland_run.h"

#include <stdexcept>
#include <string_view>

#include "backends/wayland/wayland_desktop.h"
#include "main/show_processes.h"

namespace {

int RunShowsOnOutputs(const std::string& exe, const std::vector<std::string>& given,
                      const std::vector<WaylandOutputInfo>& outputs)
{
    // --wayland in front even when the session chose it: each show reads
    // its --wayland-output as a Wayland option, whatever the session says.
    const std::string_view drop[] = {"--wayland"};
    CShowProcesses shows;
    for (std::size_t i = 0; i < outputs.size(); ++i)
        shows.Start(exe, ShowArguments(given, ShowMonitor{outputs[i].rect, int(i)},
                                       {"--wayland", "--wayland-output=" + outputs[i].name}, drop));
    const int status = shows.WaitForFirstEnd(kExitOutputGone);
    shows.EndAll();
    return status;
}

} // namespace

WaylandStart StartWayland(const WaylandOptions& options, SaverCommand& command,
                          const std::optional<ShowMonitor>& monitor, const std::vector<std::string>& given,
                          bool dialogByX11, const std::function<void(std::size_t)>& beforeShows)
{
    if (command.mode == SaverCommand::Mode::Configure && !options.ownWindow) {
        if (dialogByX11)
            return {};
        throw std::runtime_error("the configuration dialog needs the X11 backend's GTK, which this build lacks");
    }
    std::unique_ptr<CWaylandPlatform> platform = CreateWaylandPlatform(options, command);
    if (monitor) {
        platform->SetMonitor(*monitor);
    } else if (command.mode == SaverCommand::Mode::FullScreen) {
        const std::vector<WaylandOutputInfo> outputs = platform->Outputs();
        if (outputs.size() > 1) {
            platform.reset(); // each show connects on its own
            if (beforeShows)
                beforeShows(outputs.size());
            return WaylandStart{nullptr, RunShowsOnOutputs(CPosixPlatform::ExecutablePath(), given, outputs)};
        }
    }
    return WaylandStart{std::move(platform), std::nullopt};
}
