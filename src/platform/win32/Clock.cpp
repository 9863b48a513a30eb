// Windows implementation: the tick count is GetTickCount, which wraps at 2^32 by itself. It
// advances in steps of the timer tick (10 to 16 ms), so a sleep lasts until the tick count too has
// moved on by the time asked: deadlines measured with it never come early.
#include "platform/Clock.h"

#include <windows.h>

namespace platform {

std::uint32_t TickCount() { return ::GetTickCount(); }

void SleepMs(std::uint32_t milliseconds) {
    const DWORD start = ::GetTickCount();
    ::Sleep(milliseconds);
    while (::GetTickCount() - start < milliseconds) ::Sleep(1);
}

}  // namespace platform
