// CreateX11Platform: the X11 desktop run (see x11_desktop.h).
#include "backends/x11/x11_desktop.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "backends/x11/x11_display.h"

namespace {

std::uint64_t RootTarget(CX11Platform& platform)
{
    // XScreenSaver's daemon names the window to draw in; without it the
    // saver draws on the root window itself.
    if (const char* env = std::getenv("XSCREENSAVER_WINDOW"); env && *env) {
        std::string text(env);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\n'))
            text.pop_back();
        const auto id = ParseWindowId(text);
        if (!id)
            throw std::runtime_error("XSCREENSAVER_WINDOW is not a window id: \"" + std::string(env) + "\"");
        return *id;
    }
    return platform.Connection().Root();
}

} // namespace

std::unique_ptr<CX11Platform> CreateX11Platform(const X11Options& options, SaverCommand& command)
{
    auto platform = std::make_unique<CX11Platform>(options);

    if (options.target == X11Target::Switch) {
        if (command.mode == SaverCommand::Mode::Preview) {
            // The handle is an X window id; one that names no window is
            // left for the application to report.
            const std::optional<std::int64_t> value = command.PreviewHandle();
            if (value && *value > 0 && *value <= 0xFFFFFFFF)
                platform->AdoptParent(std::uint64_t(*value));
            else
                platform->Connection();
        } else if (command.mode == SaverCommand::Mode::FullScreen) {
            platform->Connection();
        }
        return platform;
    }

    std::uint64_t xid = 0;
    switch (options.target) {
    case X11Target::Root:
        platform->SetPreviewCursor(false);
        xid = RootTarget(*platform);
        break;
    case X11Target::WindowId:
        platform->SetPreviewCursor(false);
        xid = options.windowId;
        break;
    case X11Target::OwnWindow:
        xid = platform->MakeHostWindow();
        break;
    case X11Target::Switch:
        break;
    }
    // A given id that names no window is the application's to report, as
    // for the preview switch.
    if (!platform->AdoptParent(xid) && options.target != X11Target::WindowId)
        throw std::runtime_error("no X window " + std::to_string(xid) + " to draw in");
    command = SaverCommand::PreviewOf(xid);
    return platform;
}
