// What follows a finished installation: the stage that lets the progress display run up, the
// closing events, the configured file deletions and, in unattended test runs, the installer
// starting itself again.
#pragma once

#include "install/InstallAttempt.h"

namespace install {

void FinishInstallation(InstallAttempt& attempt);

// With AutoRun: waits 2 s, removes the package and its task file and starts the installer again.
void RestartForNextRun(InstallAttempt& attempt);

// The real restart: the installer's own executable, detached in a session of its own.
bool RestartOwnExecutable();

}  // namespace install
