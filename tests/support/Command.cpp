#include "Command.h"

#include <cstdint>

#include "platform/Process.h"
#include "platform/Text.h"

namespace cvdtest {

CommandResult RunCommand(const std::vector<std::string>& words) {
    platform::ProcessOptions options;
    for (const std::string& word : words) {
        if (!options.commandLine.empty()) options.commandLine += L' ';
        options.commandLine += platform::QuoteArgument(platform::Utf8ToWide(word));
    }
    options.captureOutput = true;
    CommandResult run;
    const auto process = platform::Process::Start(options);
    if (!process) return run;
    std::string chunk;
    while (process->ReadOutput(chunk, 65536, 60000) != platform::Process::Read::Ended)
        run.output += chunk;
    process->Wait(UINT32_MAX);
    run.status = process->ExitCode().value_or(-1);
    return run;
}

}  // namespace cvdtest
