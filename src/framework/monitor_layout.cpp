// Monitor layouts: parsing and formatting the text form, the choice of a
// list, the desktop box and the --monitor option. Sums of a coordinate and
// a side are taken in 64 bits, so none can overflow.
#include "framework/monitor_layout.h"

#include <cstdio>
#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

bool ParseInt(std::string_view s, int& v)
{
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size();
}

// A signed offset that starts with its sign ("+12", "-40").
bool ParseOffset(std::string_view s, int& v)
{
    if (s.size() < 2 || (s[0] != '+' && s[0] != '-') || s[1] == '+' || s[1] == '-')
        return false;
    if (!ParseInt(s.substr(1), v))
        return false;
    if (s[0] == '-')
        v = -v;
    return v >= -MonitorRect::kMaxCoordinate && v <= MonitorRect::kMaxCoordinate;
}

bool HasArea(const MonitorRect& m) { return m.width > 0 && m.height > 0; }

} // namespace

MonitorRect ParseMonitor(std::string_view text)
{
    const auto bad = [&] { return MonitorLayoutError("a monitor is WIDTHxHEIGHT[+X+Y], got \"" + std::string(text) + "\""); };
    MonitorRect m;
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        throw bad();
    const std::size_t sign = text.find_first_of("+-", x + 1);
    if (!ParseInt(text.substr(0, x), m.width) || !ParseInt(text.substr(x + 1, sign - (x + 1)), m.height))
        throw bad();
    if (sign != std::string_view::npos) {
        const std::string_view offsets = text.substr(sign);
        const std::size_t second = offsets.find_first_of("+-", 1);
        if (second == std::string_view::npos || !ParseOffset(offsets.substr(0, second), m.x) ||
            !ParseOffset(offsets.substr(second), m.y))
            throw bad();
    }
    if (m.width < 1 || m.height < 1 || m.width > MonitorRect::kMaxCoordinate ||
        m.height > MonitorRect::kMaxCoordinate)
        throw MonitorLayoutError("monitor size out of range: " + std::string(text));
    return m;
}

std::vector<MonitorRect> ParseMonitorList(std::string_view text)
{
    std::vector<MonitorRect> list;
    for (;;) {
        const std::size_t comma = text.find(',');
        if (list.size() == MonitorRect::kMaxMonitors)
            throw MonitorLayoutError("more than " + std::to_string(MonitorRect::kMaxMonitors) + " monitors");
        list.push_back(ParseMonitor(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            return list;
        text.remove_prefix(comma + 1);
    }
}

std::string FormatMonitor(const MonitorRect& m)
{
    char text[64]; // four ints with their signs fit with room to spare
    std::snprintf(text, sizeof text, "%dx%d%+d%+d", m.width, m.height, m.x, m.y);
    return text;
}

std::vector<MonitorRect> ChooseMonitors(std::span<const MonitorRect> randr, std::span<const MonitorRect> xinerama,
                                        const MonitorRect& screen)
{
    for (std::span<const MonitorRect> source : {randr, xinerama}) {
        std::vector<MonitorRect> chosen;
        for (const MonitorRect& m : source) {
            if (HasArea(m) && chosen.size() < MonitorRect::kMaxMonitors && std::find(chosen.begin(), chosen.end(), m) == chosen.end())
                chosen.push_back(m);
        }
        if (!chosen.empty())
            return chosen;
    }
    return {screen};
}

MonitorRect DesktopBox(std::span<const MonitorRect> monitors)
{
    if (monitors.empty())
        return {};
    std::int64_t left = monitors[0].x, top = monitors[0].y;
    std::int64_t right = left + monitors[0].width, bottom = top + monitors[0].height;
    for (const MonitorRect& m : monitors) {
        left = std::min<std::int64_t>(left, m.x);
        top = std::min<std::int64_t>(top, m.y);
        right = std::max<std::int64_t>(right, std::int64_t(m.x) + m.width);
        bottom = std::max<std::int64_t>(bottom, std::int64_t(m.y) + m.height);
    }
    return MonitorRect{int(left), int(top), int(right - left), int(bottom - top)};
}

namespace {
constexpr std::string_view kMonitorOption = "--monitor=";
} // namespace

ShowMonitor ParseMonitorOption(std::string_view value)
{
    ShowMonitor monitor;
    const std::size_t colon = value.find(':');
    auto [ptr, ec] = std::from_chars(value.data(), value.data() + std::min(colon, value.size()), monitor.index);
    if (colon == std::string_view::npos || colon == 0 || ec != std::errc() || ptr != value.data() + colon ||
        monitor.index < 0 || monitor.index > ShowMonitor::kMaxIndex)
        throw MonitorLayoutError("--monitor needs INDEX:WIDTHxHEIGHT+X+Y, got \"" + std::string(kMonitorOption) +
                                 std::string(value) + "\"");
    monitor.rect = ParseMonitor(value.substr(colon + 1));
    return monitor;
}

std::vector<std::string> ShowArguments(const std::vector<std::string>& given, const ShowMonitor& monitor,
                                       const std::vector<std::string>& extra, std::span<const std::string_view> drop)
{
    std::vector<std::string> args{given.empty() ? std::string("mosvik") : given[0]};
    args.push_back(std::string(kMonitorOption) + std::to_string(monitor.index) + ":" + FormatMonitor(monitor.rect));
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
