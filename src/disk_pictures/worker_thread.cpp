// The two implementations of worker_thread.h, chosen by platform.
#include "disk_pictures/worker_thread.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>

struct CWorkerMutex::Impl {
    SRWLOCK lock = SRWLOCK_INIT;
};
CWorkerMutex::CWorkerMutex() : m_impl(std::make_unique<Impl>()) {}
CWorkerMutex::~CWorkerMutex() = default;
void CWorkerMutex::lock() { AcquireSRWLockExclusive(&m_impl->lock); }
void CWorkerMutex::unlock() { ReleaseSRWLockExclusive(&m_impl->lock); }

struct CWorkerCondition::Impl {
    CONDITION_VARIABLE cv = CONDITION_VARIABLE_INIT;
};
CWorkerCondition::CWorkerCondition() : m_impl(std::make_unique<Impl>()) {}
CWorkerCondition::~CWorkerCondition() = default;
void CWorkerCondition::NotifyAll() { WakeAllConditionVariable(&m_impl->cv); }
void CWorkerCondition::WaitOnce(std::unique_lock<CWorkerMutex>& lock)
{
    SleepConditionVariableSRW(&m_impl->cv, &lock.mutex()->m_impl->lock, INFINITE, 0);
}

struct CWorkerThread::Impl {
    std::function<void()> body;
    HANDLE thread = nullptr;
    static DWORD WINAPI Run(void* self)
    {
        static_cast<Impl*>(self)->body();
        return 0;
    }
};
CWorkerThread::CWorkerThread(std::function<void()> body, bool yielding) : m_impl(std::make_unique<Impl>())
{
    m_impl->body = std::move(body);
    m_impl->thread = CreateThread(nullptr, 0, &Impl::Run, m_impl.get(), CREATE_SUSPENDED, nullptr);
    if (!m_impl->thread)
        throw std::system_error(int(GetLastError()), std::system_category(), "cannot start a thread");
    if (yielding)
        SetThreadPriority(m_impl->thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(m_impl->thread);
}
CWorkerThread::~CWorkerThread()
{
    WaitForSingleObject(m_impl->thread, INFINITE);
    CloseHandle(m_impl->thread);
}

#else
#include <condition_variable>
#include <csignal>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

struct CWorkerMutex::Impl {
    std::mutex mutex;
};
CWorkerMutex::CWorkerMutex() : m_impl(std::make_unique<Impl>()) {}
CWorkerMutex::~CWorkerMutex() = default;
void CWorkerMutex::lock() { m_impl->mutex.lock(); }
void CWorkerMutex::unlock() { m_impl->mutex.unlock(); }

struct CWorkerCondition::Impl {
    std::condition_variable cv;
};
CWorkerCondition::CWorkerCondition() : m_impl(std::make_unique<Impl>()) {}
CWorkerCondition::~CWorkerCondition() = default;
void CWorkerCondition::NotifyAll() { m_impl->cv.notify_all(); }
void CWorkerCondition::WaitOnce(std::unique_lock<CWorkerMutex>& lock)
{
    // The lock is held by `lock`; the condition waits on the mutex inside it.
    std::unique_lock<std::mutex> inner(lock.mutex()->m_impl->mutex, std::adopt_lock);
    m_impl->cv.wait(inner);
    inner.release();
}

namespace {
constexpr int kWorkerNice = 10;
} // namespace

struct CWorkerThread::Impl {
    std::thread thread;
};
CWorkerThread::CWorkerThread(std::function<void()> body, bool yielding) : m_impl(std::make_unique<Impl>())
{
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    try {
        m_impl->thread = std::thread([body = std::move(body), yielding] {
#ifdef __linux__
            // Linux gives each thread its own nice value.
            if (yielding)
                ::setpriority(PRIO_PROCESS, unsigned(::gettid()), kWorkerNice);
#endif
            body();
        });
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}
CWorkerThread::~CWorkerThread() { m_impl->thread.join(); }
#endif
