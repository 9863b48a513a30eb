#include "install/FolderRecheck.h"

#include "config/CConfigure.h"
#include "sys/Log.h"

namespace install {

bool AwaitFolderCheck(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    if (config.GetLoadSource() != 1) {
        CVD_LOG << "cfg from file , get again";
        attempt.seams.queryServer();
        config.SetInstallState(0);
        if (attempt.Stopped()) return false;
        attempt.Post(WM_INSTALL_RECHECK_PATH);
    }
    config.printContent();
    for (int wait = 0; wait < 20 && config.GetInstallState() == 0; ++wait) attempt.seams.sleep(200);
    const int state = config.GetInstallState();
    if (state == 1) return true;
    CVD_LOG << "install path error, code is " << state;
    attempt.Post(WM_INSTALL_FAILED, 0);
    return false;
}

}  // namespace install
