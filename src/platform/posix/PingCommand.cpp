// POSIX implementation: iputils ping, numeric, one second per reply, in the C locale whose
// "time=" the replies are read by (a translated ping says "Zeit=" or "時間=").
#include "platform/PingCommand.h"

namespace platform {

std::optional<PingCommand> PingCommandFor(const std::wstring& host, int count) {
    PingCommand command;
    // "--" so that a host text can never be read as an option of ping.
    command.options.commandLine =
        L"ping -n -c " + std::to_wstring(count) + L" -W 1 -- " + QuoteArgument(host);
    command.options.captureOutput = true;
    command.options.environment = {{L"LC_ALL", L"C"}};
    command.replies = PingReplyForm::TimeValue;
    return command;
}

}  // namespace platform
