#include "install/FlowTasks.h"

#include "install/InstallPathCheck.h"
#include "install/PreInstallChecks.h"
#include "install/RegistryRecords.h"
#include "install/StartApp.h"
#include "install/StartErrorEvents.h"

namespace install {
namespace {

class FlowTasks final : public IInstallTasks {
public:
    std::int32_t BeginInstallTask(IInstallPage& window) override {
        return install::BeginInstallTask(window);
    }
    bool IsCorrectInstallPath(IInstallPage& window) override {
        return install::IsCorrectInstallPath(window);
    }
    void RunStartApp(IInstallPage& window) override { install::RunStartApp(window); }
    void ClearAPPData() override { install::ClearAPPData(); }
    bool CountTooManyRequests() override { return install::CountTooManyRequests(); }
};

}  // namespace

std::shared_ptr<IInstallTasks> MakeInstallTasks() {
    InstallStartErrorEvents();
    return std::make_shared<FlowTasks>();
}

}  // namespace install
