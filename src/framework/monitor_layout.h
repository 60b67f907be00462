// Monitor layouts: the rectangles a full-screen run covers, one show per
// monitor. Plain functions over plain rectangles, so the backends (which
// ask their own system for the lists) and the tests share them: the text
// form "WxH[+X+Y][,WxH+X+Y...]" (offsets may also be negative, "-X"), the
// choice between the lists an X server offers, and the desktop box that
// holds them all. Nothing here asks a display anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct MonitorRect {
    static constexpr int kMaxCoordinate = 32767; // X's and Windows' 16-bit screen coordinates
    static constexpr std::size_t kMaxMonitors = 64;  // one show (and process) each

    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

// A monitor a show was told to cover (the --monitor option between the
// processes of a several-monitor run), and its place in the list. The
// first show holds the input focus (keys go to it; the others take the
// pointer over them only). Every show's calendar clock, which seeds its
// random numbers, runs kSeedSpacing seconds after the previous one's, so
// monitors of one size still get shows of their own.
struct ShowMonitor {
    static constexpr int kMaxIndex = int(MonitorRect::kMaxMonitors) - 1;
    static constexpr std::int64_t kSeedSpacing = 86400;

    MonitorRect rect;
    int index = 0;
    bool TakesFocus() const { return index == 0; }
    std::int64_t ClockOffset() const { return index * kSeedSpacing; }
};

// A malformed layout text.
class MonitorLayoutError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// "WxH", "WxH+X+Y", "WxH-X+Y"...: sides 1 to kMaxCoordinate, offsets of at
// most kMaxCoordinate either way. Throws MonitorLayoutError.
MonitorRect ParseMonitor(std::string_view text);
// A comma-separated list of one to kMaxMonitors monitors.
std::vector<MonitorRect> ParseMonitorList(std::string_view text);
// The text ParseMonitor reads back: "1920x1080+0+0", "800x600-800+120".
std::string FormatMonitor(const MonitorRect& m);

// The monitors to cover on X: the server's RandR monitors, else its
// Xinerama screens, else the whole screen. Empty rectangles are dropped
// and a rectangle met twice (mirrored outputs) is kept once, in the order
// the server gave; at most kMaxMonitors are covered.
std::vector<MonitorRect> ChooseMonitors(std::span<const MonitorRect> randr, std::span<const MonitorRect> xinerama,
                                        const MonitorRect& screen);

// The smallest rectangle holding every monitor (the virtual desktop).
MonitorRect DesktopBox(std::span<const MonitorRect> monitors);

// The option a several-monitor run puts in front of each show's own
// arguments: "--monitor=INDEX:WxH+X+Y". Reads its value ("INDEX:WxH+X+Y");
// throws MonitorLayoutError when it is malformed.
ShowMonitor ParseMonitorOption(std::string_view value);
// The argument vector of the show on `monitor`: argv[0], its --monitor
// option, `extra`, then `given` (argv[0] left out) without the leading
// options that start with one of `drop`.
std::vector<std::string> ShowArguments(const std::vector<std::string>& given, const ShowMonitor& monitor,
                                       const std::vector<std::string>& extra,
                                       std::span<const std::string_view> drop = {});
