// CStopSignals: SIGTERM and SIGINT turned into something the event loop
// can wait for (the read end of a self-pipe) and poll (Raised()), so that
// the saver ends with status 0 from its own loop rather than inside a
// signal handler. The handlers are restored when the object goes.
#pragma once

#include <csignal>

class CStopSignals {
public:
    CStopSignals();
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

    // Becomes readable once a stop signal arrived.
    int Fd() const { return m_readFd; }
    // True once SIGTERM or SIGINT arrived.
    static bool Raised();

private:
    int m_readFd = -1;
    int m_writeFd = -1;
    struct sigaction m_oldTerm {};
    struct sigaction m_oldInt {};
};
