// cvd-fetch as a child process, for the tests that kill a download and resume it. Started
// through the platform seam, so the same test drives the Linux and the Windows program.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {
class Process;
}

namespace cvdtest {

class FetchProcess {
public:
    // Starts cvd-fetch with `args` (UTF-8); its output is kept for failure messages.
    explicit FetchProcess(const std::vector<std::string>& args);
    ~FetchProcess();
    FetchProcess(const FetchProcess&) = delete;
    FetchProcess& operator=(const FetchProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    // Ends it at once, as a crash or a power cut would, and waits until it is gone.
    void Kill();
    // Exit status, or -1 when the process had to be killed after `timeoutMs`.
    int Wait(int timeoutMs);
    // What it printed so far.
    const std::string& Output() const { return output_; }

private:
    std::unique_ptr<platform::Process> process_;
    std::string output_;
};

}  // namespace cvdtest
