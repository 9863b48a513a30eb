// POSIX implementation: xdg-open, in a session of its own so that it outlives us.
#include "platform/WebPage.h"

#include "platform/Process.h"

namespace platform {

bool OpenWebPage(const std::wstring& url) {
    if (!IsWebAddress(url)) return false;
    ProcessOptions options;
    options.commandLine = L"xdg-open " + QuoteArgument(url);
    options.newSession = true;
    return Process::Start(options) != nullptr;
}

}  // namespace platform
