// The --monitor options and the several-monitor run without recording.
#include "platform/posix/monitor_shows.h"

#include "platform/posix/show_processes.h"

#include <algorithm>
#include <charconv>

namespace {
constexpr std::string_view kOption = "--monitor=";
} // namespace

std::optional<ShowMonitor> TakeMonitorOption(int& argc, char** argv)
{
    if (argc < 2 || !argv[1])
        return std::nullopt;
    std::string_view arg = argv[1];
    if (!arg.starts_with(kOption))
        return std::nullopt;
    arg.remove_prefix(kOption.size());
    ShowMonitor monitor;
    const std::size_t colon = arg.find(':');
    auto [ptr, ec] = std::from_chars(arg.data(), arg.data() + std::min(colon, arg.size()), monitor.index);
    if (colon == std::string_view::npos || colon == 0 || ec != std::errc() || ptr != arg.data() + colon ||
        monitor.index < 0 || monitor.index > ShowMonitor::kMaxIndex)
        throw MonitorLayoutError("--monitor needs INDEX:WIDTHxHEIGHT+X+Y, got \"" + std::string(argv[1]) + "\"");
    monitor.rect = ParseMonitor(arg.substr(colon + 1));
    for (int i = 1; i < argc; ++i)
        argv[i] = argv[i + 1];
    --argc;
    return monitor;
}

std::vector<std::string> ShowArguments(const std::vector<std::string>& given, const ShowMonitor& monitor,
                                       const std::vector<std::string>& extra, std::span<const std::string_view> drop)
{
    std::vector<std::string> args{given.empty() ? std::string("mosvik") : given[0]};
    args.push_back(std::string(kOption) + std::to_string(monitor.index) + ":" + FormatMonitor(monitor.rect));
    args.insert(args.end(), extra.begin(), extra.end());
    bool leading = true;
    for (std::size_t i = 1; i < given.size(); ++i) {
        const std::string& a = given[i];
        leading = leading && a != "--" && a.starts_with("--");
        bool dropped = false;
        for (std::string_view d : drop)
            dropped = dropped || (leading && a.starts_with(d));
        if (!dropped)
            args.push_back(a);
    }
    return args;
}

int RunShowsOnMonitors(const std::string& exe, const std::vector<std::string>& given,
                       std::span<const MonitorRect> monitors)
{
    CShowProcesses shows;
    for (std::size_t i = 0; i < monitors.size(); ++i)
        shows.Start(exe, ShowArguments(given, ShowMonitor{monitors[i], int(i)}, {}));
    const int status = shows.WaitForFirstEnd();
    shows.EndAll();
    return status;
}
