// The first pre-install check: the product must not be running while it is installed over.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "install/InstallTasks.h"
#include "install/WaitingWindow.h"
#include "platform/ProcessList.h"

namespace install {

// True when the product is not running and the install may go on; false when it runs (box 3
// shown) or when the process list cannot be read. Names are compared whole and with case; a name
// holding a '/' can match no executable file name.
bool AppIsRunning(IInstallPage& window);

// The same over a given process list (the first entry is never compared, as a snapshot's first
// entry is the system's idle process).
bool AppIsRunning(IInstallPage& window,
                  const std::optional<std::vector<platform::RunningProcess>>& processes);

}  // namespace install
