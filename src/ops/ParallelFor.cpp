#include "ParallelFor.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {

// A call this long for each item it does, which its thread spent that long
// asleep, waited on the device rather than on the processor: warm-cache
// reads take a few microseconds. A thread that was only preempted (a busy
// machine) did not sleep and does not count.
constexpr std::chrono::microseconds kWaitingItem{100};

// What the system counts for the calling thread: its voluntary switches and
// its processor time.
struct ThreadTimes {
    long switches = 0;
    std::chrono::microseconds cpu{0};
};

ThreadTimes TimesOfThisThread()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto micro = [](const timeval& time) {
        return std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_usec);
    };
    return {usage.ru_nvcsw, micro(usage.ru_utime) + micro(usage.ru_stime)};
}

// Tells whether a thread's calls wait on the device: one system call a call,
// which is why a warm listing makes its calls a batch of files each.
class CWaitDetector {
public:
    struct Mark {
        std::chrono::steady_clock::time_point time;
        ThreadTimes times;
    };

    CWaitDetector(bool active, std::size_t itemsPerCall)
        : m_active(active), m_waitingCall(kWaitingItem * std::max<std::size_t>(itemsPerCall, 1))
    {
    }

    Mark Start() const { return m_active ? Mark{std::chrono::steady_clock::now(), TimesOfThisThread()} : Mark{}; }

    // Whether the thread waited on the device: the call that began at start
    // and the one before it both did. One wake-up that a busy processor held
    // back looks like a wait; a slow device makes every call wait.
    bool Waited(const Mark& start)
    {
        const bool waited = CallWaited(start);
        const bool again = waited && m_lastWaited;
        m_lastWaited = waited;
        return again;
    }

private:
    bool CallWaited(const Mark& start) const
    {
        if (!m_active) return false;
        const auto wall = std::chrono::steady_clock::now() - start.time;
        if (wall < m_waitingCall) return false;
        const ThreadTimes now = TimesOfThisThread();
        const auto asleep = wall - (now.cpu - start.times.cpu);
        return now.switches > start.times.switches && asleep >= m_waitingCall;
    }

    const bool m_active;
    const std::chrono::microseconds m_waitingCall;
    bool m_lastWaited = false;
};

class CSharedItems {
public:
    CSharedItems(std::size_t count, unsigned maxThreads, const std::function<void(std::size_t, unsigned)>& work,
                 std::size_t itemsPerCall = 1)
        : m_count(count), m_maxThreads(maxThreads), m_work(work), m_itemsPerCall(itemsPerCall)
    {
    }

    // Runs every item on `threads` threads, the caller's among them, and more
    // while calls wait, up to the maximum; returns when all have ended.
    void Run(unsigned threads, bool grows)
    {
        m_grows = grows && threads < m_maxThreads;
        {
            const std::scoped_lock lock(m_threadsMutex);
            while (m_started < std::min(threads, m_maxThreads))
                StartHelper(); // a failed start lowers the maximum
        }
        Drain(0);
        std::vector<std::jthread> helpers;
        {
            const std::scoped_lock lock(m_threadsMutex);
            m_closed = true; // no helper starts another from here on
            helpers = std::move(m_helpers);
        }
    } // the helpers join here

    void RethrowFirstError() const
    {
        if (m_error) std::rethrow_exception(m_error);
    }

private:
    void Drain(unsigned worker)
    {
        CWaitDetector detector(m_grows, m_itemsPerCall);
        for (;;) {
            const std::size_t index = m_next.fetch_add(1, std::memory_order_relaxed);
            if (index >= m_count) return;
            const CWaitDetector::Mark start = detector.Start();
            try {
                m_work(index, worker);
            } catch (...) {
                const std::scoped_lock lock(m_errorMutex);
                if (!m_error) m_error = std::current_exception();
                m_next.store(m_count, std::memory_order_relaxed); // the others stop taking items
                return;
            }
            if (detector.Waited(start)) Grow();
        }
    }

    void Grow()
    {
        const std::scoped_lock lock(m_threadsMutex);
        if (!m_closed && m_started < m_maxThreads && m_next.load(std::memory_order_relaxed) < m_count) StartHelper();
    }

    // With m_threadsMutex held. Worker 0 is the caller's thread.
    void StartHelper()
    {
        const unsigned worker = m_started;
        if (worker == 0) {
            m_started = 1;
            return;
        }
        try {
            m_helpers.emplace_back([this, worker] { Drain(worker); });
            ++m_started;
        } catch (const std::system_error&) {
            m_maxThreads = m_started; // the system has no more threads to give; the ones running finish the work
        }
    }

    const std::size_t m_count;
    unsigned m_maxThreads;
    const std::function<void(std::size_t, unsigned)>& m_work;
    const std::size_t m_itemsPerCall;
    bool m_grows = false;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_errorMutex;
    std::exception_ptr m_error;
    std::mutex m_threadsMutex;
    std::vector<std::jthread> m_helpers;
    unsigned m_started = 0;
    bool m_closed = false;
};

unsigned ThreadsFor(std::size_t count, unsigned jobs, unsigned cap)
{
    return static_cast<unsigned>(std::min<std::size_t>(std::clamp(jobs, 1u, cap), std::max<std::size_t>(count, 1)));
}

} // namespace

void ForEachInParallel(std::size_t count, unsigned jobs, const std::function<void(std::size_t, unsigned)>& work)
{
    const unsigned threads = ThreadsFor(count, jobs, kMaxJobs);
    CSharedItems items(count, threads, work);
    items.Run(threads, false);
    items.RethrowFirstError();
}

void ForEachWaitingInParallel(std::size_t count, unsigned jobs, unsigned ioJobs,
                              const std::function<void(std::size_t, unsigned)>& work, std::size_t itemsPerCall)
{
    const unsigned threads = ThreadsFor(count, jobs, kMaxIoJobs);
    const unsigned most = threads == 1 ? 1 : ThreadsFor(count, std::max(jobs, ioJobs), kMaxIoJobs);
    CSharedItems items(count, most, work, itemsPerCall);
    items.Run(threads, true);
    items.RethrowFirstError();
}

unsigned DefaultJobs()
{
    return std::clamp(2 * std::thread::hardware_concurrency(), 1u, kMaxJobs);
}

unsigned DefaultIoJobs(bool networkShare)
{
    constexpr unsigned kLocalPerProcessor = 8;
    if (networkShare) return kMaxIoJobs;
    return std::clamp(kLocalPerProcessor * std::thread::hardware_concurrency(), DefaultJobs(), kMaxIoJobs);
}
