// CStopSignals: the self-pipe and the async-signal-safe handler.
#include "platform/posix/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {
// What a signal handler may touch: a flag and the pipe's write end.
volatile std::sig_atomic_t s_raised = 0;
volatile int s_writeFd = -1;

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
} // namespace

CStopSignals::CStopSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot make the signal pipe");
    m_readFd = fds[0];
    m_writeFd = fds[1];
    s_writeFd = m_writeFd;

    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no SA_RESTART: a blocking poll returns at once
    sigaction(SIGTERM, &sa, &m_oldTerm);
    sigaction(SIGINT, &sa, &m_oldInt);
}

CStopSignals::~CStopSignals()
{
    sigaction(SIGTERM, &m_oldTerm, nullptr);
    sigaction(SIGINT, &m_oldInt, nullptr);
    s_writeFd = -1;
    ::close(m_readFd);
    ::close(m_writeFd);
}

bool CStopSignals::Raised() { return s_raised != 0; }
