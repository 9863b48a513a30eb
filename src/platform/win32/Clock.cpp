// Windows implementation: the tick count is GetTickCount, which wraps at 2^32 by itself.
#include "platform/Clock.h"

#include <windows.h>

namespace platform {

std::uint32_t TickCount() { return ::GetTickCount(); }

void SleepMs(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
