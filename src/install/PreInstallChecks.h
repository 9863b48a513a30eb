// The install click: the checks that must pass before anything is downloaded (the product not
// running, the folder usable and roomy), then the running page and the install thread.
//
// Threading: UI thread only; it blocks the UI thread for the process walk, the registry read
// and the disk queries.
#pragma once

#include "install/InstallAttempt.h"
#include "install/InstallTasks.h"
#include "install/WaitingWindow.h"

namespace install {

// 0 when the install started; -1 when refused (the reason was already shown).
int BeginInstallTask(IInstallPage& window);
int BeginInstallTask(IInstallPage& window, InstallSeams seams);

}  // namespace install
