// CStopSignals: SIGTERM and SIGINT turned into something the event loop
// can wait for (the read end of a self-pipe) and poll (Raised()), so that
// the saver ends with status 0 from its own loop rather than inside a
// signal handler. The handlers are restored when the object goes.
//
// The loop sees the signal at its next wait, which may lie behind a stretch
// of work (decoding the picture at start-up, cutting a large board). A
// watchdog thread, asleep on the pipe, gives the loop kGraceMs to end the
// process; if it has not ended by then, the watchdog ends it at once with
// status 0 (_exit: the X server drops the windows and grabs, the shared
// memory is already marked for removal). Only a backend finishing a file
// (a recording) holds the watchdog off, since cutting it would lose the file.
#pragma once

#include <csignal>
#include <thread>

class CStopSignals {
public:
    static constexpr int kGraceMs = 50;

    CStopSignals();
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

    // Becomes readable once a stop signal arrived.
    int Fd() const { return m_readFd; }
    // True once SIGTERM or SIGINT arrived.
    static bool Raised();
    // The process is finishing a file: the watchdog stands down.
    static void HoldOff();

private:
    void Watch();

    int m_readFd = -1;
    int m_writeFd = -1;
    int m_quitRead = -1; // the watchdog's second wake-up: the object goes
    int m_quitWrite = -1;
    struct sigaction m_oldTerm {};
    struct sigaction m_oldInt {};
    std::thread m_watchdog;
};
