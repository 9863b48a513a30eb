// "Use Now": open the finish page, or start the installed product at once or behind the waiting
// animation; the installer window closes in every case.
//
// Threading: UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "install/InstallTasks.h"
#include "install/WaitingWindow.h"

namespace install {

struct StartSeams {
    // FuntionImpl::StartTargetMainExe: 0 started, -1 failed.
    std::function<std::int32_t(const std::wstring& quotedExe, std::int32_t admin,
                               const std::wstring& args)>
        startMainExe;
    // Opens a URL in the user's browser.
    std::function<void(const std::wstring& url)> openUrl;
};

StartSeams DefaultStartSeams();

// What the start uses: the quoted main executable, the logged sub-program executable, the
// sub-program id (0 when none) and the start arguments.
struct StartPaths {
    std::wstring mainExe;
    std::wstring subExe;
    std::int32_t subProgramId = 0;
    std::wstring arguments;
};

// From the install path and the configuration; nothing when a server name would lead out of
// the install folder.
std::optional<StartPaths> ComputeStartPaths(const std::wstring& installPath);

void RunStartApp(IInstallPage& window);
void RunStartApp(IInstallPage& window, const StartSeams& seams);

}  // namespace install
