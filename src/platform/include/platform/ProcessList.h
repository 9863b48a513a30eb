// The processes running on the machine, as far as this user may see them: the walk behind
// "find the running copies of a file" and the way to end one of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct RunningProcess {
    int pid = 0;
    // The executable's file name (not the kernel's 15-character command name).
    std::wstring exeName;
    // Full path of the executable; empty when it cannot be read (another user's process, a
    // kernel thread). A deleted executable reads without the kernel's " (deleted)" mark.
    std::wstring exePath;
};

// Every process, in ascending id order; nothing when the process list itself cannot be read.
std::optional<std::vector<RunningProcess>> ListProcesses();

int OwnProcessId();

// Ends `pid` at once (SIGKILL) and waits up to `waitMs` until it has released its executable
// (ended or become a zombie). 0 on success, else the errno of the refusal.
int KillProcess(int pid, unsigned waitMs = 2000);

}  // namespace platform
