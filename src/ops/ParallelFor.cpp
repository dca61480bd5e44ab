#include "ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class CSharedItems {
public:
    CSharedItems(std::size_t count, const std::function<void(std::size_t, unsigned)>& work)
        : m_count(count), m_work(work)
    {
    }

    void Drain(unsigned worker)
    {
        for (;;) {
            const std::size_t index = m_next.fetch_add(1, std::memory_order_relaxed);
            if (index >= m_count) return;
            try {
                m_work(index, worker);
            } catch (...) {
                const std::scoped_lock lock(m_mutex);
                if (!m_error) m_error = std::current_exception();
                m_next.store(m_count, std::memory_order_relaxed); // the others stop taking items
                return;
            }
        }
    }

    void RethrowFirstError() const
    {
        if (m_error) std::rethrow_exception(m_error);
    }

private:
    const std::size_t m_count;
    const std::function<void(std::size_t, unsigned)>& m_work;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::exception_ptr m_error;
};

} // namespace

void ForEachInParallel(std::size_t count, unsigned jobs, const std::function<void(std::size_t, unsigned)>& work)
{
    const auto threads = static_cast<unsigned>(std::min<std::size_t>(std::clamp(jobs, 1u, kMaxJobs), count));
    CSharedItems items(count, work);
    {
        std::vector<std::jthread> helpers;
        for (unsigned worker = 1; worker < threads; ++worker)
            helpers.emplace_back([&items, worker] { items.Drain(worker); });
        items.Drain(0);
    } // the helpers join here
    items.RethrowFirstError();
}

unsigned DefaultJobs()
{
    return std::clamp(2 * std::thread::hardware_concurrency(), 1u, kMaxJobs);
}
