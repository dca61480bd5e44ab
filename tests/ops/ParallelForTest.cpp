#include "ops/ParallelFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
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
        EXPECT_THROW(ForEachInParallel(100000, jobs,
                                       [&](std::size_t index, unsigned) {
                                           if (index == 10) throw std::runtime_error("disk gone");
                                           ++done;
                                       }),
                     std::runtime_error);
        EXPECT_LT(done.load(), 100000u - 1) << "the other items should stop being taken";
    }
}
