#include "install/PreInstallChecks.h"

#include "config/CConfigure.h"
#include "content/BannerContent.h"
#include "install/AppIsRunning.h"
#include "install/InstallEvents.h"
#include "install/InstallPathCheck.h"
#include "platform/Thread.h"
#include "sys/Log.h"

namespace install {
namespace {

void StartBannerThread(std::shared_ptr<IMessageTarget> target) {
    auto thread = platform::Thread::Start([target] { content::GetCbsBanner(target.get()); });
    if (thread) CConfigure::Instance().AddWorkerThread(thread);
}

}  // namespace

int BeginInstallTask(IInstallPage& window, InstallSeams seams) {
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
    if (!window.IsBannerReady()) StartBannerThread(window.GetMessageTarget());
    // The thread sees the window only through this snapshot, so it may outlive the window.
    auto snapshot = std::make_shared<WindowSnapshot>(window);
    auto thread = platform::Thread::Start([snapshot, seams = std::move(seams)]() mutable {
        InstallThreadFunc(*snapshot, std::move(seams));
    });
    if (thread) config.AddWorkerThread(thread);
    // The window's running page has started the carousel.
    CVD_LOG << "begin banner play";
    return 0;
}

}  // namespace install
