// Windows implementation: the process's own UTF-16 environment block, GetCurrentProcessId.
#include "platform/Environment.h"

#include <windows.h>

namespace platform {
namespace {

// The largest value the environment block can hold, terminator included.
constexpr DWORD kMaxValueChars = 32767;

}  // namespace

std::wstring EnvironmentValue(const std::wstring& name) {
    std::wstring value(256, L'\0');
    // Another thread may grow the value between two calls: ask again with the size it needs.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length =
            GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0 || length > kMaxValueChars) return std::wstring();
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
    return std::wstring();
}

bool SetEnvironmentValue(const std::wstring& name, const std::wstring& value) {
    return SetEnvironmentVariableW(name.c_str(), value.c_str()) != 0;
}

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace platform
