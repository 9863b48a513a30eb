// The install flow behind the main window's clicks and messages (IInstallTasks).
#pragma once

#include <memory>

#include "install/InstallTasks.h"

namespace install {

// The real flow; also routes the product start's failure events to the user-log sender.
std::shared_ptr<IInstallTasks> MakeInstallTasks();

}  // namespace install
