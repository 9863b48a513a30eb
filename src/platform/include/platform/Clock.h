#pragma once

#include <cstdint>

namespace platform {

// Milliseconds of the monotonic clock, wrapping at 2^32 like GetTickCount.
std::uint32_t TickCount();

void SleepMs(std::uint32_t milliseconds);

}  // namespace platform
