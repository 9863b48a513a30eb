// Windows implementation: the debugger-output channel is OutputDebugStringW, one line per call.
#include "platform/DebugOutput.h"

#include <windows.h>

#include <string>

namespace platform {

void DebugOutput(std::wstring_view line) {
    std::wstring text(line);
    text += L'\n';
    ::OutputDebugStringW(text.c_str());
}

}  // namespace platform
