// CShowProcesses: the child processes of a several-monitor run, one show
// per monitor, and the one ending they share. The children are started
// with the parent's death as their stop signal (and give up at once when
// the parent is already gone), so none can outlive it; SIGTERM, SIGINT
// and SIGHUP to the parent, or the end of any child, end all of them.
//
// Signals are taken through a signalfd while the object lives (the mask
// is restored for the children and by the destructor), so waiting for a
// child, a pipe or a signal is one poll() and no handler runs.
// Trade-off: Linux only (signalfd, PR_SET_PDEATHSIG), like the desktop
// backend it serves.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class CShowProcesses {
public:
    static constexpr int kGraceMs = 2000; // from SIGTERM to SIGKILL

    CShowProcesses();
    ~CShowProcesses(); // ends and reaps every child still running
    CShowProcesses(const CShowProcesses&) = delete;
    CShowProcesses& operator=(const CShowProcesses&) = delete;

    // Starts `exe` with the argument vector `args` (args[0] included);
    // `keepFd` stays open in the child (-1: none). Throws std::runtime_error.
    void Start(const std::string& exe, const std::vector<std::string>& args, int keepFd = -1);
    std::size_t Count() const { return m_children.size(); }

    // Waits until the first child ends (its status) or a stop signal
    // arrives (0). A child ending with `leavesOthers` (a show whose monitor
    // went away) ends no other; when every child ended so, the run ends
    // with 0.
    int WaitForFirstEnd(std::optional<int> leavesOthers = std::nullopt);
    // Waits until `fd` is readable or hung up (true) or a stop signal
    // arrives (false). Children that end meanwhile are reaped.
    bool WaitReadable(int fd);
    // The status of child `index`, waiting for it to end.
    int StatusOf(std::size_t index);
    // SIGTERM to every running child, SIGKILL to any still running after
    // kGraceMs; every child is reaped.
    void EndAll();

    // A child's exit status as a shell reports it (128 + signal when killed).
    static int ExitCode(int waitStatus);

private:
    struct Child {
        pid_t pid = -1;
        bool ended = false;
        int status = 0;
    };

    // Polls the signal fd (and `fd` when not -1) for up to timeoutMs (-1:
    // no limit). Returns 1 when `fd` is ready, 2 on a stop signal, 0 on a
    // timeout or a child's end.
    int Poll(int fd, int timeoutMs);
    void Reap();
    bool AnyRunning() const;

    std::vector<Child> m_children;
    sigset_t m_oldMask{};
    int m_signalFd = -1;
};
