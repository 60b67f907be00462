// Full screen on several monitors, POSIX side: the saver starts itself
// once per monitor with the monitor's rectangle in front of its own
// arguments, and the first show to end ends them all (CShowProcesses).
//   mosvik --monitor=K:WxH+X+Y ...   the show of monitor K (0: the one with the focus)
// Each show keeps the one-show-per-process design: its backend reports
// the monitor's size as the screen and places the window on the monitor.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/monitor_layout.h"

// Takes a leading --monitor option out of argv (it is only ever argument
// 1). Throws MonitorLayoutError when malformed.
std::optional<ShowMonitor> TakeMonitorOption(int& argc, char** argv);

// The argument vector of the show on `monitor`: argv[0], its --monitor
// option, `extra`, then `given` (argv[0] left out) without the leading
// options that start with one of `drop`.
std::vector<std::string> ShowArguments(const std::vector<std::string>& given, const ShowMonitor& monitor,
                                       const std::vector<std::string>& extra,
                                       std::span<const std::string_view> drop = {});

// Runs one show per monitor, the first with the focus, until one ends or
// a stop signal comes; returns the status of that ending (0 for a signal).
int RunShowsOnMonitors(const std::string& exe, const std::vector<std::string>& given,
                       std::span<const MonitorRect> monitors);
