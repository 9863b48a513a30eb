// The attempt's first phase: make sure the server's download information has been applied and
// the folder accepted with the sizes it carries.
#pragma once

#include "install/InstallAttempt.h"

namespace install {

// Queries the server again when the configuration did not come from it and asks the window to
// re-check the folder, then waits (20 x 200 ms) for the folder state; the attempt then installs
// into the folder as the re-check left it. False when the thread must end: stopped, or the
// folder refused (WM_INSTALL_FAILED with 0 posted).
bool AwaitFolderCheck(InstallAttempt& attempt);

}  // namespace install
