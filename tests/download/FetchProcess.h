// cvd-fetch as a child process, for the tests that kill a download and resume it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace cvdtest {

// Starts cvd-fetch with `args`, its output discarded; -1 when it could not be started.
pid_t StartFetch(const std::vector<std::string>& args);
// Exit status, or -1 when the process had to be killed after `timeoutMs`.
int WaitFetch(pid_t pid, int timeoutMs);

}  // namespace cvdtest
