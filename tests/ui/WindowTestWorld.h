// What every window test sets up around its windows, on both systems: the shipped skin in the
// toolkit, a fresh configuration and reports that fail at once; at the end the threads a window
// started and the report sender are stopped inside the test's private home.
#pragma once

#include <memory>

#include "install/InstallTasks.h"
#include "ui/InstallUIMainWnd.h"

namespace uitest {

// Packs res/skin once per program and hands it to the toolkit; false when it could not.
bool LoadShippedSkin();
void BeginWindowWorld();
// Runs the UI thread's pending work first: call it after the windows are gone.
void EndWindowWorld();
// A main window over `tasks`, created, centred and shown; a failed download pings no server.
std::unique_ptr<InstallUIMainWnd> OpenMainWindow(std::shared_ptr<install::IInstallTasks> tasks);

}  // namespace uitest
