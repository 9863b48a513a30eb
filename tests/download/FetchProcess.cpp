#include "FetchProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>

#include "platform/FsPath.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace cvdtest {

FetchProcess::FetchProcess(const std::vector<std::string>& args) {
    platform::ProcessOptions options;
    options.program = platform::WidePath(std::filesystem::path(CVD_FETCH_PATH));
    for (const std::string& arg : args)
        options.commandLine += L" " + platform::QuoteArgument(platform::Utf8ToWide(arg));
    // Captured rather than shared with the test's output, so the progress line does not mix
    // with the test's report; read while waiting, so a full pipe never blocks the child.
    options.captureOutput = true;
    process_ = platform::Process::Start(options);
}

FetchProcess::~FetchProcess() {
    if (process_) Kill();
}

void FetchProcess::Kill() {
    if (!process_) return;
    process_->Kill();
    process_->Wait(UINT32_MAX);
}

int FetchProcess::Wait(int timeoutMs) {
    if (!process_) return -1;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string chunk;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        const auto read = process_->ReadOutput(chunk, 4096, static_cast<std::uint32_t>(left));
        output_ += chunk;
        if (read == platform::Process::Read::Ended) break;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (!process_->Wait(static_cast<std::uint32_t>(std::max<long long>(left, 0)))) {
        Kill();
        return -1;
    }
    return process_->ExitCode().value_or(-1);
}

}  // namespace cvdtest
