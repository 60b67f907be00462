// One background thread, a lock and a condition for it, owned RAII-style:
// the thread is joined when its owner goes. POSIX builds use std::thread,
// std::mutex and std::condition_variable; the Windows builds' compiler
// (GCC's win32 thread model) has none of the three, so there they are
// CreateThread, an SRW lock and a CONDITION_VARIABLE. Both lock types fit
// std::unique_lock.
// Trade-off: only what the picture source needs (one thread, wait with a
// predicate, wake all), not a general threading layer.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

class CWorkerMutex {
public:
    CWorkerMutex();
    ~CWorkerMutex();
    CWorkerMutex(const CWorkerMutex&) = delete;
    CWorkerMutex& operator=(const CWorkerMutex&) = delete;
    void lock();
    void unlock();

private:
    friend class CWorkerCondition;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class CWorkerCondition {
public:
    CWorkerCondition();
    ~CWorkerCondition();
    CWorkerCondition(const CWorkerCondition&) = delete;
    CWorkerCondition& operator=(const CWorkerCondition&) = delete;

    // Waits (releasing the lock meanwhile) until `ready` holds.
    template <class Ready>
    void Wait(std::unique_lock<CWorkerMutex>& lock, Ready ready)
    {
        while (!ready())
            WaitOnce(lock);
    }
    void NotifyAll();

private:
    void WaitOnce(std::unique_lock<CWorkerMutex>& lock);
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class CWorkerThread {
public:
    // Starts `body` on a new thread that takes no signals (POSIX: they stay
    // with the thread that waits for them), below the priority of the
    // thread that started it when `yielding`. std::system_error when no
    // thread can be started.
    CWorkerThread(std::function<void()> body, bool yielding);
    // Waits for the body to return: the owner asks it to end first.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
