#pragma once

#include <string_view>

namespace platform {

// The debugger-output channel of the program: one line on standard error.
void DebugOutput(std::wstring_view line);

}  // namespace platform
