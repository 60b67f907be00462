// CShowProcesses: fork/exec with the parent-death signal, the signalfd
// loop and the ending.
#include "main/show_processes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace {

sigset_t WatchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&set, s);
    return set;
}

std::int64_t NowMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

CShowProcesses::CShowProcesses()
{
    const sigset_t set = WatchedSignals();
    if (::sigprocmask(SIG_BLOCK, &set, &m_oldMask) != 0)
        throw std::runtime_error("cannot block the stop signals");
    m_signalFd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_signalFd < 0) {
        ::sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
        throw std::runtime_error("cannot watch the stop signals");
    }
}

CShowProcesses::~CShowProcesses()
{
    EndAll();
    ::close(m_signalFd);
    ::sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
}

void CShowProcesses::Start(const std::string& exe, const std::vector<std::string>& args, int keepFd)
{
    // Everything the child needs is made before fork: after it, only
    // async-signal-safe calls.
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("cannot start a show");
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1); // the parent ended before the signal was armed
        ::sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
        if (keepFd >= 0)
            ::fcntl(keepFd, F_SETFD, 0);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    m_children.push_back(Child{pid});
}

bool CShowProcesses::AnyRunning() const
{
    for (const Child& c : m_children) {
        if (!c.ended)
            return true;
    }
    return false;
}

void CShowProcesses::Reap()
{
    for (Child& c : m_children) {
        int status = 0;
        if (!c.ended && ::waitpid(c.pid, &status, WNOHANG) == c.pid) {
            c.ended = true;
            c.status = ExitCode(status);
        }
    }
}

int CShowProcesses::Poll(int fd, int timeoutMs)
{
    pollfd fds[2] = {{m_signalFd, POLLIN, 0}, {fd, POLLIN, 0}};
    const int n = ::poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
    if (n < 0 && errno != EINTR)
        throw std::runtime_error("cannot wait for the shows");
    int result = 0;
    signalfd_siginfo info{};
    while (::read(m_signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
        if (info.ssi_signo == SIGCHLD)
            Reap();
        else
            result = 2;
    }
    if (result == 0 && n > 0 && fd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
        result = 1;
    return result;
}

int CShowProcesses::WaitForFirstEnd(std::optional<int> leavesOthers)
{
    for (;;) {
        Reap();
        bool allLeft = !m_children.empty();
        for (const Child& c : m_children) {
            if (c.ended && c.status != leavesOthers)
                return c.status;
            allLeft = allLeft && c.ended;
        }
        if (allLeft)
            return 0;
        if (Poll(-1, -1) == 2)
            return 0;
    }
}

bool CShowProcesses::WaitReadable(int fd)
{
    for (;;) {
        const int r = Poll(fd, -1);
        if (r != 0)
            return r == 1;
    }
}

int CShowProcesses::StatusOf(std::size_t index)
{
    Child& c = m_children.at(index);
    if (!c.ended) {
        int status = 0;
        while (::waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
        }
        c.ended = true;
        c.status = ExitCode(status);
    }
    return c.status;
}

void CShowProcesses::EndAll()
{
    Reap();
    for (const Child& c : m_children) {
        if (!c.ended)
            ::kill(c.pid, SIGTERM);
    }
    const std::int64_t deadline = NowMs() + kGraceMs;
    while (AnyRunning()) {
        const std::int64_t left = deadline - NowMs();
        if (left <= 0)
            break;
        Poll(-1, int(left)); // a second stop signal changes nothing
        Reap();
    }
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (!m_children[i].ended) {
            ::kill(m_children[i].pid, SIGKILL);
            StatusOf(i);
        }
    }
}

int CShowProcesses::ExitCode(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 1;
}
