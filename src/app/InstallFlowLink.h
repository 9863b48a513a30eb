// The install flow the installer's window runs on its install click.
#pragma once

#include <memory>

#include "install/InstallTasks.h"

namespace app {

std::shared_ptr<install::IInstallTasks> InstallTasksForThisBuild();

}  // namespace app
