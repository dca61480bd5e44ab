// The millisecond clock, replaceable by tests so timed waits cost no time.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

std::uint32_t timeGetTime();
// Tests install a clock of their own; an empty function restores the real one.
void SetClockForTest(std::function<std::uint32_t()> clock);

} // namespace platform
