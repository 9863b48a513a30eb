// What the running process holds about itself: its environment variables and its id.
// Names and values are wide text; on Linux they are stored as UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The value of the variable `name`; empty when it is not set (or set to nothing).
std::wstring EnvironmentValue(const std::wstring& name);

// Sets `name` to `value` for this process and the programs it starts later. Not safe while
// another thread reads the environment. False when the system refuses the name or value.
bool SetEnvironmentValue(const std::wstring& name, const std::wstring& value);

std::uint32_t CurrentProcessId();

}  // namespace platform
