// main() of the POSIX saver `mosvik`: reads the command line once
// (saver_options.h), answers --help and --version, makes the run's
// platform (the headless one, or the desktop's: X11 and Wayland where the
// build found them, MOSVIK_HAVE_X11 and MOSVIK_HAVE_WAYLAND, the run chosen
// by the options and the session), starts one show per monitor or output
// where full screen covers several, and runs the application with the
// command. The platform object is never destroyed: the process ends
// through IPlatform::Exit, and static destructors that run then may still
// reach it.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/saver_app.h"
#include "backends/headless/headless_platform.h"
#include "backends/headless/input_script.h"
#include "disk_pictures/disk_pictures.h"
#include "disk_pictures/xscreensaver_images.h"
#include "main/desktop_recording.h"
#include "main/monitor_shows.h"
#include "main/picture_choice.h"
#include "main/saver_options.h"
#if MOSVIK_HAVE_X11
#include "backends/x11/x11_desktop.h"
#endif
#if MOSVIK_HAVE_WAYLAND
#include "main/wayland_run.h"
#endif

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

// Pictures from a folder are decoded on the worker thread at every size the
// photos come in and freed on the show's thread. glibc raises its mmap
// threshold to the largest block freed, after which such blocks come from
// the heaps and leave holes there that grow with each new size: a
// saver showing a folder for a day grew by megabytes. A fixed threshold
// keeps every block of 4 MiB and more (decoded pictures, frames) in its own
// mapping, given back when freed; piece images stay below it and reuse
// the heap.
void FixMmapThreshold()
{
#if defined(__GLIBC__)
    constexpr int kMmapThresholdBytes = 4 << 20;
    mallopt(M_MMAP_THRESHOLD, kMmapThresholdBytes);
#endif
}

constexpr unsigned kBuiltRuns = kRunHeadless
#if MOSVIK_HAVE_X11
                                | kRunX11
#endif
#if MOSVIK_HAVE_WAYLAND
                                | kRunWayland
#endif
    ;

std::unique_ptr<CPosixPlatform> MakeHeadless(HeadlessOptions options, std::vector<InputEvent> input,
                                             const std::optional<ShowMonitor>& monitor, const SaverCommand& command)
{
    if (monitor) {
        options.width = monitor->rect.width;
        options.height = monitor->rect.height;
    }
    auto platform =
        std::make_unique<CHeadlessPlatform>(options, std::move(input), CHeadlessPlatform::PreviewParentOf(command));
    if (monitor)
        platform->SetMonitor(*monitor);
    platform->WatchStopSignals();
    platform->OpenOutputs();
    return platform;
}

} // namespace

int main(int argc, char** argv)
{
    FixMmapThreshold();
    SaverOptions options;
    try {
        options = ParseSaverOptions(std::vector<std::string>(argv, argv + argc), kBuiltRuns,
                                    WaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY")));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText(kBuiltRuns).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("mosvik %s\n", MOSVIK_VERSION);
        return 0;
    }

    SaverCommand command = options.command; // the desktop may turn its options into a preview
    // The order of a folder's pictures: the headless backend's follows its
    // clock and its shows wait for their pictures (same options, same
    // frames); the desktop's is new each run. The shows of several monitors
    // are handed their parent's seed and count (a folder may also come
    // from a setting, so they always are).
    PictureOptions& pictures = options.pictures;
    if (!pictures.orderGiven)
        pictures.order.seed = options.run == kRunHeadless
                                  ? std::uint64_t(options.headless.clockStart)
                                  : std::uint64_t(std::random_device{}()) << 32 | std::random_device{}();
    pictures.order.show = options.monitor ? options.monitor->index : 0;
    pictures.waitForPictures = options.run == kRunHeadless;
    auto sharePictureOrder = [&](std::size_t shows) {
        if (!pictures.orderGiven)
            options.given.insert(options.given.begin() + 1, PictureOrderArgument(pictures.order.seed, int(shows)));
    };
    CPosixPlatform* platform = nullptr;
    try {
        if (options.run == kRunHeadless) {
            std::vector<InputEvent> input; // read here too when only the shows use it: one error line
            if (!options.headless.inputFile.empty())
                input = LoadInputScript(options.headless.inputFile);
            if (!options.monitor && options.headless.monitors.size() > 1 &&
                command.mode == SaverCommand::Mode::FullScreen) {
                sharePictureOrder(options.headless.monitors.size());
                return RunHeadlessMonitors(CPosixPlatform::ExecutablePath(), options.given, options.headless);
            }
            platform = MakeHeadless(options.headless, std::move(input), options.monitor, command).release();
        } else if (options.run == kRunWayland) {
#if MOSVIK_HAVE_WAYLAND
            WaylandStart wayland =
                StartWayland(options.wayland, command, options.monitor, options.given, (kBuiltRuns & kRunX11) != 0,
                             sharePictureOrder);
            if (wayland.status)
                return *wayland.status;
            platform = wayland.platform.release(); // none: the dialog, X11's below
#endif
        }
        if (!platform && options.run != kRunHeadless) {
#if MOSVIK_HAVE_X11
            // The X11 run, and the Wayland run's dialog (GTK shows it there).
            X11Options x11 = options.x11;
            if (options.run == kRunWayland)
                x11.speed = options.wayland.speed;
            std::unique_ptr<CX11Platform> desktop = CreateX11Platform(x11, command);
            if (options.monitor)
                desktop->SetMonitor(*options.monitor);
            else if (command.mode == SaverCommand::Mode::FullScreen) {
                const std::vector<MonitorRect> monitors = desktop->GetMonitors();
                if (monitors.size() > 1) {
                    desktop.reset(); // the shows open displays of their own
                    sharePictureOrder(monitors.size());
                    return RunShowsOnMonitors(CPosixPlatform::ExecutablePath(), options.given, monitors);
                }
            }
            platform = desktop.release();
#endif
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 2;
    }
    if (!platform)
        return 2;

    // The pictures: the command line's, else the saver's setting, else on
    // the desktop XScreenSaver's image folder; chosen as a show starts.
    InstallPictureChoice(GetSaverApp(), std::move(options.pictures),
                         options.run == kRunHeadless ? ImageFolderReader()
                                                     : ImageFolderReader(xscreensaver::ReadImageFolder));
    AfxSetPlatform(platform);
    int status = 1;
    try {
        status = AfxWinMain(command);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    }
    platform->Exit(status);
}
