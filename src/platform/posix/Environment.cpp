// POSIX implementation: getenv/setenv on the UTF-8 environment, getpid.
#include "platform/Environment.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/Text.h"

namespace platform {

std::wstring EnvironmentValue(const std::wstring& name) {
    const char* value = std::getenv(WideToUtf8(name).c_str());
    return value ? Utf8ToWide(value) : std::wstring();
}

bool SetEnvironmentValue(const std::wstring& name, const std::wstring& value) {
    return setenv(WideToUtf8(name).c_str(), WideToUtf8(value).c_str(), 1) == 0;
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace platform
