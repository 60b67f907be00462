// The several-monitor run without recording.
#include "main/monitor_shows.h"

#include "main/show_processes.h"

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
