// The desktop seam of the POSIX main(): makes the X11 platform from the
// backend's options and turns XScreenSaver's ways of naming a window into
// the application's preview switch:
//   --root              -> /p <XSCREENSAVER_WINDOW, or the root window>
//   --window-id ID      -> /p <ID>
//   --window            -> /p <a new top-level window "Mosvik">
//   /p XID (no option)  -> the XID is adopted as the preview parent
// The display is opened before the application starts for every mode that
// draws, so that a missing display is one line and status 2; the dialog
// needs only GTK's own connection.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/saver_app.h"
#include "backends/posix/desktop.h"
#include "backends/x11/x11_display.h"
#include "backends/x11/x11_options.h"
#include "backends/x11/x11_platform.h"

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

std::unique_ptr<CPosixPlatform> CreateDesktopPlatform(int& argc, char**& argv)
{
    const X11Options options = ParseX11Options(argc, argv);
    auto platform = std::make_unique<CX11Platform>(options);

    if (options.target == X11Target::Switch) {
        const char* sw = argc > 1 ? argv[1] : nullptr;
        if (MatchSwitch(sw, 'p')) {
            // The handle is an X window id; one that names no window is
            // left for the application to report.
            std::int64_t value = 0;
            if (argc > 2 && ParsePreviewHandle(argv[2], value) && value > 0 && value <= 0xFFFFFFFF)
                platform->AdoptParent(std::uint64_t(value));
            else
                platform->Connection();
        } else if (MatchSwitch(sw, 's')) {
            platform->Connection();
        }
        return platform;
    }

    if (argc > 1)
        throw X11OptionError("--root, --window-id and --window take no switch, got \"" + std::string(argv[1]) + "\"");
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
    argv = platform->PreviewArguments(argv[0], xid, argc);
    return platform;
}

const char* DesktopUsage()
{
    static const std::string usage = X11Usage();
    return usage.c_str();
}
