#include "app/InstallFlowLink.h"

#if __has_include("install/FlowTasks.h")
#include "install/FlowTasks.h"

namespace app {

std::shared_ptr<install::IInstallTasks> InstallTasksForThisBuild() {
    return install::MakeInstallTasks();
}

}  // namespace app

#else
// Until the install flow joins this tree the window runs without it: an install click is
// refused with a log line, so the window and the shell can be used and tested on their own.
#include "sys/Log.h"

namespace app {
namespace {

class NoInstallFlow : public install::IInstallTasks {
public:
    std::int32_t BeginInstallTask(install::IInstallPage&) override {
        CVD_LOG << "install flow not part of this build";
        return -1;
    }
    bool IsCorrectInstallPath(install::IInstallPage&) override { return false; }
    void RunStartApp(install::IInstallPage&) override {}
    void ClearAPPData() override {}
    bool CountTooManyRequests() override { return false; }
};

}  // namespace

std::shared_ptr<install::IInstallTasks> InstallTasksForThisBuild() {
    return std::make_shared<NoInstallFlow>();
}

}  // namespace app
#endif
