// The install flow as a window sees it, recording every call: the window tests on both systems
// drive the real window over it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/InstallTasks.h"

namespace uitest {

// The install click turns the window to its running page, as the real checks do when they pass.
class RecordingTasks : public install::IInstallTasks {
public:
    std::int32_t BeginInstallTask(install::IInstallPage& window) override;
    bool IsCorrectInstallPath(install::IInstallPage&) override {
        ++pathChecks;
        return pathCheckPasses;
    }
    void RunStartApp(install::IInstallPage& window) override {
        ++startApps;
        if (onStartApp)
            onStartApp(window);
        else
            window.SetProductStarted();
    }
    void ClearAPPData() override { ++clears; }
    bool CountTooManyRequests() override {
        ++tooManyRequests;
        return true;
    }

    int begins = 0;
    int pathChecks = 0;
    bool pathCheckPasses = true;
    int startApps = 0;
    int clears = 0;
    int tooManyRequests = 0;
    std::vector<std::wstring> installPaths;
    // The product start behind "Use Now" (the real flow over test seams, say); by default only
    // the started flag is set.
    std::function<void(install::IInstallPage&)> onStartApp;
};

}  // namespace uitest
