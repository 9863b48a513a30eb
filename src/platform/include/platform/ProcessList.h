// The running processes, as a process snapshot lists them: id, executable file name and, where
// it can be read, the full executable path. The executable name is the file name of the
// process's image (never the kernel's 15-character command name), falling back to the first
// word of its command line when the image cannot be read (another user's process).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct RunningProcess {
    int pid = 0;
    std::wstring exeName;  // file name only
    std::wstring exePath;  // empty when the image path cannot be read
};

// Every process visible to the caller, in ascending id order; nothing when the list itself
// cannot be read.
std::optional<std::vector<RunningProcess>> ListProcesses();

// The current process's id.
int OwnProcessId();

}  // namespace platform
