// Windows implementation: GetLocalTime.
#include "platform/LocalTime.h"

#include <windows.h>

namespace platform {

LocalTime LocalTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                     now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace platform
