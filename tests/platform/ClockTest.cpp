#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(Clock, TestClockReplacesTheRealOneUntilReset)
{
    std::uint32_t now = 0xFFFFFFF0u; // just before the wraparound
    platform::SetClockForTest([&] { return now; });
    EXPECT_EQ(platform::timeGetTime(), 0xFFFFFFF0u);
    now += 3000;
    EXPECT_EQ(platform::timeGetTime() - 0xFFFFFFF0u, 3000u); // unsigned difference survives the wrap
    platform::SetClockForTest({});
    const std::uint32_t start = platform::timeGetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(platform::timeGetTime() - start, 20u);
}
