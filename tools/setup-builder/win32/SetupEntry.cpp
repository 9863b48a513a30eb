// The setup's entry on Windows: the C runtime's split would let the \" of /DIR="C:\Apps\"
// swallow the switches after it, so the setup reads its own command line with the setup rules
// and passes the text after the program on as it came.
#include <windows.h>

#include <string>

#include "SetupCommandLine.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace {

// The command line after the program name, which ends at the next blank or, when it starts
// with a quote, at the next quote (the system's own rule, without escapes).
std::wstring AfterProgram(const std::wstring& line) {
    std::size_t at = line.find_first_not_of(L" \t");
    if (at == std::wstring::npos) return {};
    if (line[at] == L'"') {
        const std::size_t close = line.find(L'"', at + 1);
        at = close == std::wstring::npos ? line.size() : close + 1;
    } else {
        at = line.find_first_of(L" \t", at);
        if (at == std::wstring::npos) at = line.size();
    }
    return line.substr(at);
}

}  // namespace

int wmain() {
    setup::SetupCommandLine commandLine;
    commandLine.passOn = AfterProgram(::GetCommandLineW());
    commandLine.passOnSetupRules = true;
    for (const std::wstring& arg : platform::SplitSetupCommandLine(commandLine.passOn))
        commandLine.args.push_back(platform::WideToUtf8(arg));
    return setup::RunSetup(commandLine);
}
