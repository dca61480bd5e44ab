#include "Clock.h"

#include <chrono>

namespace platform {

namespace {

std::function<std::uint32_t()>& TestClock()
{
    static std::function<std::uint32_t()> clock;
    return clock;
}

} // namespace

std::uint32_t timeGetTime()
{
    if (const auto& clock = TestClock()) return clock();
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    // Wraps around after 49.7 days, as the Windows clock does.
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void SetClockForTest(std::function<std::uint32_t()> clock)
{
    TestClock() = std::move(clock);
}

} // namespace platform
