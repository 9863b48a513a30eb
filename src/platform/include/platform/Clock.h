#pragma once

#include <cstdint>

namespace platform {

// Milliseconds of the monotonic clock, wrapping at 2^32 (Windows: GetTickCount).
std::uint32_t TickCount();

void SleepMs(std::uint32_t milliseconds);

}  // namespace platform
