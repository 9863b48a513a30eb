#include "install/PreInstallChecks.h"

#include "config/CConfigure.h"
#include "install/AppIsRunning.h"
#include "install/InstallEvents.h"
#include "install/InstallPathCheck.h"
#include "platform/Thread.h"
#include "sys/Log.h"

namespace install {

int BeginInstallTask(IInstallUi& window, InstallSeams seams) {
    if (!AppIsRunning(window)) {
        ReportFlowCodeFunnelOnly("DL0024");
        CVD_LOG << "app is running";
        return -1;
    }
    if (!IsCorrectInstallPath(window)) {
        CVD_LOG << "install path is correct";
        return -1;
    }
    CConfigure& config = CConfigure::Instance();
    config.SetInstallState(1);
    window.ShowRunningPage();
    window.StartBannerThreadIfNeeded();
    // The thread sees the window only through this snapshot, so it may outlive the window.
    auto snapshot = std::make_shared<WindowSnapshot>(window);
    auto thread = platform::Thread::Start([snapshot, seams = std::move(seams)]() mutable {
        InstallThreadFunc(*snapshot, std::move(seams));
    });
    if (thread) config.AddWorkerThread(thread);
    CVD_LOG << "begin banner play";
    window.BeginBannerPlay();
    return 0;
}

}  // namespace install
