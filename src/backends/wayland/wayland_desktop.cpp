// The Wayland platform for each way of starting the saver, and the checks
// that turn a compositor unable to run it into one line and status 2.
#include "backends/wayland/wayland_desktop.h"

#include <string>

#include "backends/wayland/wayland_display.h"

const char* NoLayerShellMessage()
{
    return "the Wayland compositor does not offer zwlr_layer_shell_v1 (wlr-layer-shell), which the full-screen "
           "saver needs; under GNOME run it on XWayland with --x11";
}

std::unique_ptr<CWaylandPlatform> CreateWaylandPlatform(const WaylandOptions& options, SaverCommand& command)
{
    auto platform = std::make_unique<CWaylandPlatform>(options);
    if (options.ownWindow) {
        command = SaverCommand::PreviewOf(platform->MakeHostWindow());
        return platform;
    }
    if (command.mode == SaverCommand::Mode::FullScreen) {
        if (!platform->HasLayerShell())
            throw WaylandError(NoLayerShellMessage());
        // A named output that went meanwhile ends its show when the window
        // is made (kExitOutputGone); having none at all is an error now.
        if (!platform->SelectOutput() && options.output.empty())
            throw WaylandError("the Wayland compositor has no output to cover");
    }
    return platform;
}
