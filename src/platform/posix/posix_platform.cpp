// CPosixPlatform: process, clock and service parts (module path, exit,
// the monotonic clock, the profile file, text engine and opener).
#include "platform/posix/posix_platform.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "platform/posix/freetype_text.h"
#include "platform/posix/ini_profile.h"
#include "platform/posix/shell_open.h"

CPosixPlatform::CPosixPlatform() = default;

CPosixPlatform::~CPosixPlatform() = default;

std::vector<MonitorRect> CPosixPlatform::GetMonitors()
{
    const SIZE screen = GetScreenSize();
    return {MonitorRect{0, 0, screen.cx, screen.cy}};
}

std::string CPosixPlatform::ExecutablePath()
{
    std::string buf(256, '\0');
    for (int tries = 0; tries < 8; ++tries) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < buf.size()) {
            buf.resize(std::size_t(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
    return {};
}

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

std::int64_t CPosixPlatform::MonotonicMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

DWORD CPosixPlatform::GetTickCount() { return DWORD(std::uint64_t(MonotonicMs())); }

void CPosixPlatform::Sleep(DWORD ms)
{
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) < 0 && errno == EINTR) {
    }
}

std::int64_t CPosixPlatform::GetTime()
{
    return std::int64_t(std::time(nullptr)) + (m_monitor ? m_monitor->ClockOffset() : 0);
}

void CPosixPlatform::WaitForRefresh(HWND)
{
    // The next slot of a 60 Hz grid on the monotonic clock.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t us = std::int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    const std::int64_t slot = (us * 60 / 1000000 + 1) * 1000000 / 60;
    const std::int64_t wait = slot - us;
    timespec ts{time_t(wait / 1000000), long(wait % 1000000) * 1000L};
    while (::nanosleep(&ts, &ts) < 0 && errno == EINTR) {
    }
}

std::string CPosixPlatform::ConfigHome() { return CIniProfile::DefaultConfigHome().string(); }

ITextEngine& CPosixPlatform::Text()
{
    if (!m_text)
        m_text = std::make_unique<CFreeTypeTextEngine>();
    return *m_text;
}

int CPosixPlatform::GetProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                  const char* entry, int nDefault)
{
    if (!m_profile)
        m_profile = std::make_unique<CIniProfile>(ConfigHome());
    return m_profile->GetInt(registryKey, appName, section ? section : "", entry ? entry : "", nDefault);
}

BOOL CPosixPlatform::WriteProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                                     const char* entry, int value)
{
    if (!m_profile)
        m_profile = std::make_unique<CIniProfile>(ConfigHome());
    if (!section || !entry)
        return FALSE;
    return m_profile->WriteInt(registryKey, appName, section, entry, value) ? TRUE : FALSE;
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
