// The Wayland platform for each way of starting the saver, and the checks
// that turn a compositor unable to run it into one line and status 2.
#include "backends/wayland/wayland_desktop.h"

#include <string>

#include "app/saver_app.h"
#include "backends/wayland/wayland_display.h"

const char* NoLayerShellMessage()
{
    return "the Wayland compositor does not offer zwlr_layer_shell_v1 (wlr-layer-shell), which the full-screen "
           "saver needs; under GNOME run it on XWayland with --x11";
}

std::unique_ptr<CWaylandPlatform> CreateWaylandPlatform(int& argc, char**& argv, const WaylandOptions& options)
{
    auto platform = std::make_unique<CWaylandPlatform>(options);
    if (options.ownWindow) {
        if (argc > 1)
            throw WaylandError("--window takes no switch, got \"" + std::string(argv[1]) + "\"");
        const std::uint64_t handle = platform->MakeHostWindow();
        argv = platform->PreviewArguments(argv[0], handle, argc);
        return platform;
    }
    if (argc > 1 && MatchSwitch(argv[1], 's')) {
        if (!platform->HasLayerShell())
            throw WaylandError(NoLayerShellMessage());
        // A named output that went meanwhile ends its show when the window
        // is made (kExitOutputGone); having none at all is an error now.
        if (!platform->SelectOutput() && options.output.empty())
            throw WaylandError("the Wayland compositor has no output to cover");
    }
    return platform;
}
