#pragma once

#include <string_view>

namespace platform {

// The debugger-output channel of the program: one line. Windows: OutputDebugStringW; Linux:
// standard error.
void DebugOutput(std::wstring_view line);

}  // namespace platform
