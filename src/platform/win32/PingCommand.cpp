// Windows implementation: "cmd.exe /C ping HOST -n COUNT" from the system folder. The command
// line goes through cmd.exe, so only host names and addresses pass: any character that cmd.exe
// or ping could read as more than a host is refused.
#include "platform/PingCommand.h"

#include <windows.h>

namespace platform {
namespace {

constexpr std::size_t kMaxHostChars = 255;

bool IsPlainHost(const std::wstring& host) {
    if (host.empty() || host.size() > kMaxHostChars || host.front() == L'-') return false;
    for (const wchar_t c : host) {
        const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                           (c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L':';
        if (!plain) return false;
    }
    return true;
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

std::optional<PingCommand> PingCommandFor(const std::wstring& host, int count) {
    const std::wstring system = SystemFolder();
    if (!IsPlainHost(host) || system.empty()) return std::nullopt;
    PingCommand command;
    command.options.program = system + L"\\cmd.exe";
    command.options.commandLine = L" /C ping " + host + L" -n " + std::to_wstring(count);
    command.options.captureOutput = true;
    command.replies = PingReplyForm::BeforeTtl;
    return command;
}

}  // namespace platform
