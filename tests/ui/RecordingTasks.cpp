#include "RecordingTasks.h"

#include "config/CConfigure.h"

namespace uitest {

std::int32_t RecordingTasks::BeginInstallTask(install::IInstallPage& window) {
    ++begins;
    installPaths.push_back(window.GetInstallPath());
    CConfigure::Instance().SetInstallState(1);
    window.ShowRunningPage();
    return 0;
}

}  // namespace uitest
