// main() of the POSIX saver `mosvik`: picks the backend from the leading
// options (--headless for the virtual display, otherwise the desktop
// backend), removes the backend's options from argv, installs the platform
// and runs the application. The platform object is never destroyed: the
// process ends through IPlatform::Exit, and static destructors that run
// then may still reach it.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/saver_app.h"
#include "main/desktop_recording.h"
#include "backends/headless/headless_options.h"
#include "backends/headless/headless_platform.h"
#include "backends/headless/input_script.h"
#include "backends/posix/desktop.h"
#include "disk_pictures/disk_pictures.h"
#include "main/desktop_choice.h"
#include "main/monitor_shows.h"
#include "main/wayland_run.h"

#ifndef MOSVIK_VERSION
#define MOSVIK_VERSION "unknown"
#endif

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds: fontconfig (2.14) loses a few bytes of the
// configuration it parses at initialisation; that is not ours to report.
// The saver's stderr stays the one line it prints, so the leak checker
// does not list the suppressions it used.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace {

void PrintUsage()
{
    std::printf(
        "usage: mosvik --headless=WIDTHxHEIGHT [OPTIONS] SWITCH [HANDLE]\n"
        "       mosvik [DESKTOP OPTIONS] SWITCH [HANDLE]\n"
        "\n"
        "SWITCH (one leading - or / allowed, any case):\n"
        "  s            run the saver full screen\n"
        "  p HANDLE     run the preview inside window HANDLE (a decimal number)\n"
        "  other/none   open the configuration dialog\n"
        "\n"
        "Headless options (a virtual display and clock; same options, same frames):\n"
        "  --headless=WxH           the virtual display (the preview parent's client size for p)\n"
        "  --headless=WxH+X+Y,...   a desktop of several monitors: full screen runs a show on each\n"
        "  --clock=SECONDS          calendar time at start (default 1000000000)\n"
        "  --input=FILE             timed input, one event a line: T mousemove X Y | T keydown |\n"
        "                           T lbuttondown | T rbuttondown | T mbuttondown | T deactivate |\n"
        "                           T close | T destroy-parent   (T in seconds of virtual time)\n"
        "  --frames=DIR             write samples as DIR/frame-00000.png, ...\n"
        "  --fps=N                  samples per second of virtual time (default 10)\n"
        "  --record=FILE.webp       write the samples as an animated WebP\n"
        "  --stop-after=SECONDS     end with status 0 after that much virtual time\n"
        "  --config-answer=ok:POS|cancel   how the configuration dialog is answered (default cancel)\n"
        "\n"
        "  --help, --version\n"
        "\n"
        "Full screen covers every monitor with a show of its own; the saver starts itself\n"
        "once per monitor with --monitor=INDEX:WxH+X+Y in front.\n"
        "\n"
        "Pictures from the disk (with either backend, anywhere before SWITCH):\n");
    for (const PictureOptionEntry& o : kPictureOptions) {
        const std::string shown = std::string(o.name) + (o.metavar ? " " + std::string(o.metavar) : "");
        std::printf("  --%-23s %s\n", shown.c_str(), o.help);
    }
    const char* desktop = DesktopUsage();
    if (desktop && *desktop)
        std::printf("\nDesktop options:\n%s", desktop);
    std::printf("\nWayland or X11 (first, before the other desktop options):\n"
                "  --wayland                draw on Wayland: a layer surface over each output (needs\n"
                "                           wlr-layer-shell: sway, Hyprland, river, labwc, KDE Plasma)\n"
                "  --x11                    draw on X11 (under GNOME's Wayland session: XWayland)\n"
                "  Neither: Wayland when WAYLAND_DISPLAY is set and DISPLAY is not. On Wayland --window\n"
                "  opens a window of its own and --speed applies; --root and --window-id are X11's.\n");
}

bool IsFullScreen(int argc, char** argv) { return argc > 1 && MatchSwitch(argv[1], 's'); }

std::unique_ptr<CPosixPlatform> MakeHeadless(HeadlessOptions options, std::vector<InputEvent> input,
                                             const std::optional<ShowMonitor>& monitor, int argc, char** argv)
{
    if (monitor) {
        options.width = monitor->rect.width;
        options.height = monitor->rect.height;
    }
    auto platform =
        std::make_unique<CHeadlessPlatform>(options, std::move(input), CHeadlessPlatform::PreviewHandleFromArgs(argc, argv));
    if (monitor)
        platform->SetMonitor(*monitor);
    platform->WatchStopSignals();
    try {
        platform->OpenOutputs();
    } catch (const std::exception& e) {
        throw OptionError(e.what());
    }
    return platform;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<ShowMonitor> monitor;
    PictureOptions pictures;
    std::vector<std::string> given; // what each monitor's show is started with
    DesktopChoice desktopChoice;
    try {
        monitor = TakeMonitorOption(argc, argv);
        given.assign(argv, argv + argc);
        pictures = ExtractPictureOptions(argc, argv);
        desktopChoice = TakeDesktopChoice(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 2;
    }
    bool headless = false, help = false, version = false;
    std::string headlessOnly;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--" || arg.substr(0, 2) != "--")
            break;
        if (arg == "--help")
            help = true;
        else if (arg == "--version")
            version = true;
        else if (arg == "--headless" || arg.substr(0, 11) == "--headless=")
            headless = true;
        else if (IsHeadlessOption(arg) && headlessOnly.empty())
            headlessOnly = std::string(arg.substr(0, arg.find('=')));
    }
    if (help) {
        PrintUsage();
        return 0;
    }
    if (version) {
        std::printf("mosvik %s\n", MOSVIK_VERSION);
        return 0;
    }

    CPosixPlatform* platform = nullptr;
    try {
        if (headless) {
            const HeadlessOptions options = ParseHeadlessOptions(argc, argv);
            std::vector<InputEvent> input; // read here too when only the shows use it: one error line
            if (!options.inputFile.empty())
                input = LoadInputScript(options.inputFile);
            if (!monitor && options.monitors.size() > 1 && IsFullScreen(argc, argv))
                return RunHeadlessMonitors(CPosixPlatform::ExecutablePath(), given, options);
            platform = MakeHeadless(options, std::move(input), monitor, argc, argv).release();
        } else {
            if (!headlessOnly.empty())
                throw OptionError(headlessOnly + " needs --headless=WIDTHxHEIGHT");
            if (ChoosesWayland(desktopChoice, std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"))) {
                WaylandStart wayland = StartWayland(argc, argv, desktopChoice, monitor, given);
                if (wayland.status)
                    return *wayland.status;
                platform = wayland.platform.release(); // null: the dialog, X11's below
            }
        }
        if (!platform && !headless) {
            std::unique_ptr<CPosixPlatform> desktop = CreateDesktopPlatform(argc, argv);
            if (monitor)
                desktop->SetMonitor(*monitor);
            else if (IsFullScreen(argc, argv)) {
                const std::vector<MonitorRect> monitors = desktop->GetMonitors();
                if (monitors.size() > 1) {
                    desktop.reset(); // the shows open displays of their own
                    return RunShowsOnMonitors(CPosixPlatform::ExecutablePath(), given, monitors);
                }
            }
            platform = desktop.release();
        }
    } catch (const OptionError& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 2;
    } catch (const InputScriptError& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 2;
    }
    if (!platform)
        return 2;

    // Like the platform, the source lives until the process ends.
    std::unique_ptr<CDiskPictureSource> source;
    if (pictures.Any()) {
        source = std::make_unique<CDiskPictureSource>(std::move(pictures));
        GetSaverApp().m_pDocSource = source.get();
    }
    AfxSetPlatform(platform);
    int status = 1;
    try {
        status = AfxWinMain(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    }
    platform->Exit(status);
}
