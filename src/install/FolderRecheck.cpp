#include "install/FolderRecheck.h"

#include "config/CConfigure.h"
#include "sys/Log.h"

namespace install {

bool AwaitFolderCheck(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    const bool recheck = config.GetLoadSource() != 1;
    if (recheck) {
        CVD_LOG << "cfg from file , get again";
        attempt.seams.queryServer();
        config.SetCheckedInstallPath(L"");
        config.SetInstallState(0);
        if (attempt.Stopped()) return false;
        attempt.Post(WM_INSTALL_RECHECK_PATH);
    }
    config.printContent();
    for (int wait = 0; wait < 20 && config.GetInstallState() == 0; ++wait) attempt.seams.sleep(200);
    const int state = config.GetInstallState();
    if (state == 1) {
        // The re-check may have moved the folder to another drive or numbered it; the product
        // goes where the check passed, where "Use Now" will look for it.
        const std::wstring checked = config.GetCheckedInstallPath();
        if (recheck && !checked.empty()) attempt.installPath = checked;
        return true;
    }
    CVD_LOG << "install path error, code is " << state;
    attempt.Post(WM_INSTALL_FAILED, 0);
    return false;
}

}  // namespace install
