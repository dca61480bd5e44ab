#include "ops/ParallelFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

TEST(ForEachInParallel, EveryIndexOnceOnAWorkerBelowJobs)
{
    for (const unsigned jobs : {1u, 2u, 7u, kMaxJobs + 10}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{5000}}) {
            SCOPED_TRACE(testing::Message() << jobs << " jobs, " << count << " items");
            std::vector<std::atomic<int>> calls(count);
            std::atomic<bool> workerInRange{true};
            ForEachInParallel(count, jobs, [&](std::size_t index, unsigned worker) {
                ++calls[index];
                if (worker >= std::min(jobs, kMaxJobs)) workerInRange = false;
            });
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_EQ(calls[i], 1) << "index " << i;
            EXPECT_TRUE(workerInRange);
        }
    }
}

TEST(ForEachInParallel, OneJobRunsInOrderOnTheCallersThread)
{
    std::vector<std::size_t> order;
    const auto caller = std::this_thread::get_id();
    bool elsewhere = false;
    ForEachInParallel(100, 1, [&](std::size_t index, unsigned) {
        order.push_back(index);
        elsewhere = elsewhere || std::this_thread::get_id() != caller;
    });
    ASSERT_EQ(order.size(), 100u);
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_FALSE(elsewhere);
}

TEST(ForEachInParallel, FirstExceptionReachesTheCallerAndStopsTheRest)
{
    for (const unsigned jobs : {1u, 4u}) {
        SCOPED_TRACE(jobs);
        std::atomic<std::size_t> done{0};
        std::atomic<bool> thrown{false};
        // Later items wait for the throw, so that a thread descheduled on a
        // busy machine cannot let the others run through every item first.
        EXPECT_THROW(ForEachInParallel(100000, jobs,
                                       [&](std::size_t index, unsigned) {
                                           if (index == 10) {
                                               thrown = true;
                                               throw std::runtime_error("disk gone");
                                           }
                                           while (index >= 1000 && !thrown)
                                               std::this_thread::yield();
                                           ++done;
                                       }),
                     std::runtime_error);
        EXPECT_LT(done.load(), 100000u - 1) << "the other items should stop being taken";
    }
}

// Calls that sleep stand for reads waiting on a slow device.
TEST(ForEachWaitingInParallel, AddsThreadsWhileCallsWaitUpToIoJobs)
{
    constexpr std::size_t kCount = 400;
    for (const auto& [jobs, ioJobs] : {std::pair{2u, 16u}, std::pair{1u, 16u}, std::pair{4u, kMaxIoJobs + 10}}) {
        SCOPED_TRACE(testing::Message() << jobs << " jobs, " << ioJobs << " I/O jobs");
        std::vector<std::atomic<int>> calls(kCount);
        std::vector<std::atomic<bool>> workerSeen(kMaxIoJobs + 10);
        std::atomic<bool> workerInRange{true};
        ForEachWaitingInParallel(kCount, jobs, ioJobs, [&](std::size_t index, unsigned worker) {
            ++calls[index];
            if (worker >= std::min(ioJobs, kMaxIoJobs))
                workerInRange = false;
            else
                workerSeen[worker] = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        for (std::size_t i = 0; i < kCount; ++i)
            ASSERT_EQ(calls[i], 1) << "index " << i;
        EXPECT_TRUE(workerInRange);
        const auto used = static_cast<unsigned>(std::count(workerSeen.begin(), workerSeen.end(), true));
        if (jobs == 1)
            EXPECT_EQ(used, 1u) << "one job stays on the caller's thread";
        else
            EXPECT_GT(used, jobs) << "waiting calls should have added threads";
    }
}

// Calls that never wait on a device keep the threads they started with: quick
// ones, long ones that keep the processor busy (a thread preempted on a busy
// machine is not waiting), and batches that sleep less than their files'
// share of time each.
TEST(ForEachWaitingInParallel, CallsThatDoNotWaitKeepTheThreadsTheyStartedWith)
{
    const auto spin = [](std::chrono::microseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
        }
    };
    struct Case {
        const char* what;
        std::size_t count;
        std::size_t itemsPerCall;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"quick", 20000, 1, [] {}},
        {"busy for 300 us", 300, 1, [&] { spin(std::chrono::microseconds(300)); }},
        {"a batch of 32 asleep for 1 ms", 100, 32, [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::atomic<bool>> workerSeen(kMaxIoJobs);
        ForEachWaitingInParallel(
            c.count, 2, kMaxIoJobs,
            [&](std::size_t, unsigned worker) {
                workerSeen[worker] = true;
                c.call();
            },
            c.itemsPerCall);
        for (unsigned worker = 2; worker < kMaxIoJobs; ++worker)
            EXPECT_FALSE(workerSeen[worker]) << "worker " << worker << " started for calls that never waited";
    }
}
