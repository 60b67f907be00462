// The several-monitor headless run: pipes, lockstep reading and the
// desktop's samples.
#include "main/desktop_recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "backends/headless/frame_output.h"
#include "backends/headless/virtual_clock.h"
#include "main/monitor_shows.h"
#include "main/show_processes.h"

namespace {

// A pipe's read end, closed with its owner.
class CPipeReader {
public:
    CPipeReader() = default;
    CPipeReader(const CPipeReader&) = delete;
    CPipeReader& operator=(const CPipeReader&) = delete;
    ~CPipeReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void Reset(int fd) { m_fd = fd; }
    int Fd() const { return m_fd; }

private:
    int m_fd = -1;
};

enum class ReadResult { Frame, Ended, Stopped };

// Reads one whole frame into `frame` (already sized).
ReadResult ReadFrame(CShowProcesses& shows, int fd, CSurface& frame)
{
    auto* data = reinterpret_cast<std::uint8_t*>(frame.Row(0));
    const std::size_t size = std::size_t(frame.Width()) * std::size_t(frame.Height()) * sizeof(std::uint32_t);
    std::size_t got = 0;
    while (got < size) {
        if (!shows.WaitReadable(fd))
            return ReadResult::Stopped;
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return ReadResult::Ended; // a show that ends mid-frame has no frame
        got += std::size_t(n);
    }
    return ReadResult::Frame;
}

} // namespace

int RunHeadlessMonitors(const std::string& exe, const std::vector<std::string>& given, const HeadlessOptions& options)
{
    if (options.framesDir.empty() && options.recordFile.empty())
        return RunShowsOnMonitors(exe, given, options.monitors);

    auto sinks = OpenFrameSinks(options);
    const std::size_t count = options.monitors.size();
    const MonitorRect box = DesktopBox(options.monitors);
    constexpr std::string_view kOwnSinks[] = {"--frames=", "--record="};
    std::vector<CPipeReader> pipes(count);
    CShowProcesses shows;
    for (std::size_t i = 0; i < count; ++i) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("cannot make a pipe for a monitor's show");
        pipes[i].Reset(fds[0]);
        const ShowMonitor monitor{options.monitors[i], int(i)};
        try {
            shows.Start(exe, ShowArguments(given, monitor, {"--frame-fd=" + std::to_string(fds[1])}, kOwnSinks),
                        fds[1]);
        } catch (...) {
            ::close(fds[1]);
            throw;
        }
        ::close(fds[1]);
    }

    std::vector<CSurface> frames(count);
    for (std::size_t i = 0; i < count; ++i)
        frames[i].Resize(options.monitors[i].width, options.monitors[i].height);
    CSurface desktop;
    desktop.Resize(box.width, box.height);
    int status = 0;
    std::int64_t index = 0;
    for (bool running = true; running; ++index) {
        for (std::size_t i = 0; i < count && running; ++i) {
            const ReadResult r = ReadFrame(shows, pipes[i].Fd(), frames[i]);
            if (r == ReadResult::Ended)
                status = shows.StatusOf(i);
            running = r == ReadResult::Frame;
        }
        if (!running)
            break;
        desktop.Fill(0);
        for (std::size_t i = 0; i < count; ++i) {
            const MonitorRect& m = options.monitors[i];
            for (int y = 0; y < m.height; ++y)
                std::copy_n(frames[i].Row(y), m.width, desktop.Row(m.y - box.y + y) + (m.x - box.x));
        }
        if (!AddToFrameSinks(sinks, desktop, index, options.fps)) {
            status = 1;
            break;
        }
    }
    shows.EndAll();
    try {
        FinishFrameSinks(sinks, CVirtualClock::SampleTime(index, options.fps) / CVirtualClock::kUnitsPerMs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        status = status == 0 ? 1 : status;
    }
    return status;
}
