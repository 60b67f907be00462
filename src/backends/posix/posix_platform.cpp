// CPosixPlatform: process, clock and service parts (module path, exit,
// the monotonic clock, the profile file, text engine and opener).
#include "backends/posix/posix_platform.h"

#include <poll.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "backends/posix/freetype_text.h"
#include "backends/posix/ini_profile.h"
#include "backends/posix/shell_open.h"
#include "backends/posix/stop_signals.h"
#include "framework/tick.h"
#include "framework/own_path.h"

namespace {
constexpr std::int64_t kNsPerMs = 1000000;

std::int64_t MonotonicNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
} // namespace

CPosixPlatform::CPosixPlatform() = default;

CPosixPlatform::~CPosixPlatform() = default;

std::vector<MonitorRect> CPosixPlatform::GetMonitors()
{
    const SIZE screen = GetScreenSize();
    return {MonitorRect{0, 0, screen.cx, screen.cy}};
}

std::string CPosixPlatform::ExecutablePath() { return OwnExecutablePathUtf8(); }

void CPosixPlatform::Exit(int status)
{
    if (!m_bExiting) {
        m_bExiting = true;
        try {
            OnExit(status);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mosvik: %s\n", e.what());
            if (status == 0)
                status = 1;
        }
    }
    std::fflush(nullptr);
    std::exit(status);
}

std::int64_t CPosixPlatform::MonotonicMs() { return MonotonicNs() / kNsPerMs; }

DWORD CPosixPlatform::GetTickCount() { return DWORD(std::uint64_t(MonotonicMs())); }

void CPosixPlatform::WatchStopSignals()
{
    if (!m_signals)
        m_signals = std::make_unique<CStopSignals>();
}

int CPosixPlatform::StopFd() const { return m_signals ? m_signals->Fd() : -1; }

void CPosixPlatform::ExitIfStopped()
{
    if (m_signals && CStopSignals::Raised())
        Exit(0);
}

void CPosixPlatform::SleepUntilNs(std::int64_t deadlineNs)
{
    for (;;) {
        ExitIfStopped();
        const std::int64_t left = deadlineNs - MonotonicNs();
        if (left <= 0)
            return;
        const timespec ts{time_t(left / 1000000000), long(left % 1000000000)};
        if (m_signals) {
            // The pipe becomes readable when a stop signal arrives, even one
            // that came just before the wait began.
            pollfd fd{m_signals->Fd(), POLLIN, 0};
            ::ppoll(&fd, 1, &ts, nullptr);
        } else {
            ::nanosleep(&ts, nullptr);
        }
    }
}

void CPosixPlatform::Sleep(DWORD ms) { SleepUntilNs(MonotonicNs() + std::int64_t(ms) * kNsPerMs); }

void CPosixPlatform::SleepUntilTick(DWORD tick)
{
    const std::int64_t nowMs = MonotonicMs();
    if (const DWORD ahead = TicksUntil(tick, DWORD(std::uint64_t(nowMs))))
        SleepUntilNs((nowMs + ahead) * kNsPerMs); // the tick's first instant
}

std::int64_t CPosixPlatform::GetTime()
{
    return std::int64_t(std::time(nullptr)) + (m_monitor ? m_monitor->ClockOffset() : 0);
}

void CPosixPlatform::WaitForRefresh(HWND)
{
    // The next slot of a 60 Hz grid on the monotonic clock.
    const std::int64_t ns = MonotonicNs();
    SleepUntilNs((ns / 1000 * 60 / 1000000 + 1) * 1000000 / 60 * 1000);
}

std::string CPosixPlatform::ConfigHome() { return CIniProfile::DefaultConfigHome().string(); }

ITextEngine& CPosixPlatform::Text()
{
    if (!m_text)
        m_text = std::make_unique<CFreeTypeTextEngine>();
    return *m_text;
}

CIniProfile& CPosixPlatform::Profile()
{
    if (!m_profile)
        m_profile = std::make_unique<CIniProfile>(ConfigHome());
    return *m_profile;
}

int CPosixPlatform::GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                  const char* entry, int nDefault)
{
    return Profile().GetInt(registryKey, appName, section ? section : "", entry ? entry : "", nDefault);
}

BOOL CPosixPlatform::WriteProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                     const char* entry, int value)
{
    if (!section || !entry)
        return FALSE;
    return Profile().WriteInt(registryKey, appName, section, entry, value) ? TRUE : FALSE;
}

std::optional<std::string> CPosixPlatform::GetProfileString(const std::string& registryKey,
                                                            const std::string& appName, const char* section,
                                                            const char* entry)
{
    if (!section || !entry)
        return std::nullopt;
    return Profile().GetString(registryKey, appName, section, entry);
}

BOOL CPosixPlatform::WriteProfileString(const std::string& registryKey, const std::string& appName,
                                        const char* section, const char* entry, const std::string& value)
{
    if (!section || !entry)
        return FALSE;
    return Profile().WriteString(registryKey, appName, section, entry, value) ? TRUE : FALSE;
}

BOOL CPosixPlatform::FindExecutable(const std::string& file, std::string& program)
{
    // Like the shell's lookup, a file that does not exist has no program.
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return FALSE;
    return posix_shell::FindOnPath("xdg-open", program) ? TRUE : FALSE;
}

void CPosixPlatform::ShellExecute(const std::string& program, const char* verb, const char* parameters)
{
    if (program.empty() || (verb && std::string(verb) != "open"))
        return;
    std::vector<std::string> argv{program};
    if (parameters && *parameters)
        argv.push_back(posix_shell::UrlForHost(parameters));
    posix_shell::SpawnDetached(argv);
}
