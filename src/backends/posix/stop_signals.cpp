// CStopSignals: the self-pipe, the async-signal-safe handler and the
// watchdog.
#include "backends/posix/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace {
// What a signal handler may touch: a flag and the pipe's write end.
volatile std::sig_atomic_t s_raised = 0;
volatile int s_writeFd = -1;
std::atomic<bool> s_holdOff{false};

extern "C" void OnStopSignal(int)
{
    const int saved = errno;
    s_raised = 1;
    if (s_writeFd >= 0) {
        const char byte = 1;
        (void)!::write(s_writeFd, &byte, 1); // a full pipe already wakes the loop
    }
    errno = saved;
}

void MakePipe(int& readFd, int& writeFd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the signal pipe");
    readFd = fds[0];
    writeFd = fds[1];
}
} // namespace

CStopSignals::CStopSignals()
{
    MakePipe(m_readFd, m_writeFd);
    try {
        MakePipe(m_quitRead, m_quitWrite);
    } catch (...) {
        ::close(m_readFd);
        ::close(m_writeFd);
        throw;
    }
    s_writeFd = m_writeFd;

    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no SA_RESTART: a blocking poll returns at once
    // The watchdog takes no signal: they all go to the loop's thread.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    m_watchdog = std::thread([this] { Watch(); });
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    sigaction(SIGTERM, &sa, &m_oldTerm);
    sigaction(SIGINT, &sa, &m_oldInt);
}

CStopSignals::~CStopSignals()
{
    sigaction(SIGTERM, &m_oldTerm, nullptr);
    sigaction(SIGINT, &m_oldInt, nullptr);
    s_writeFd = -1;
    const char byte = 1;
    (void)!::write(m_quitWrite, &byte, 1);
    m_watchdog.join();
    for (int fd : {m_readFd, m_writeFd, m_quitRead, m_quitWrite})
        ::close(fd);
}

bool CStopSignals::Raised() { return s_raised != 0; }

void CStopSignals::HoldOff() { s_holdOff = true; }

void CStopSignals::Watch()
{
    // Only looks at the pipe (the loop may be polling it too) and never
    // reads it, so the loop still sees it readable.
    pollfd fds[2] = {{m_readFd, POLLIN, 0}, {m_quitRead, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0 && errno == EINTR) {
    }
    if (fds[1].revents != 0 || !(fds[0].revents & POLLIN))
        return;
    timespec grace{0, long(kGraceMs) * 1000000L};
    while (::nanosleep(&grace, &grace) < 0 && errno == EINTR) {
    }
    // Poll the quit pipe once more: the object may be going meanwhile.
    pollfd quit{m_quitRead, POLLIN, 0};
    if (!s_holdOff && ::poll(&quit, 1, 0) == 0)
        ::_exit(0);
}
