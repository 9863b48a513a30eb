// POSIX implementation: the debugger-output channel is standard error, one UTF-8 line per call.
#include "platform/DebugOutput.h"

#include <unistd.h>

#include "PosixSupport.h"
#include "platform/Text.h"

namespace platform {

void DebugOutput(std::wstring_view line) {
    // One write per line, so lines from several threads do not interleave.
    std::string text = WideToUtf8(line);
    text += '\n';
    posix::WriteAll(STDERR_FILENO, text.data(), text.size());
}

}  // namespace platform
