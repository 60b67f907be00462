// Full screen on several monitors, POSIX side: the saver starts itself
// once per monitor with the monitor's rectangle in front of its own
// arguments, and the first show to end ends them all (CShowProcesses).
//   mosvik --monitor=K:WxH+X+Y ...   the show of monitor K (0: the one with the focus)
// Each show keeps the one-show-per-process design: its backend reports
// the monitor's size as the screen and places the window on the monitor.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "framework/monitor_layout.h"

// Runs one show per monitor, the first with the focus, until one ends or
// a stop signal comes; returns the status of that ending (0 for a signal).
int RunShowsOnMonitors(const std::string& exe, const std::vector<std::string>& given,
                       std::span<const MonitorRect> monitors);
