#include "WindowTestWorld.h"

#include <gtest/gtest.h>

#include <utility>

#include "TelemetryEnv.h"
#include "UiPages.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "platform/Clock.h"
#include "telemetry/SingleUserLog.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/ZipArchive.h"
#include "ui/SkinPackage.h"

namespace uitest {

bool LoadShippedSkin() {
    static bool loaded = [] {
        RegisterExtendedControls();
        auto bytes = toolkit::PackFolder(CVD_SKIN_SOURCE_DIR);
        if (!bytes) return false;
        auto& resources = toolkit::ResourceManager::Instance();
        resources.SetResourceFolder("skin\\");
        return resources.SetZipArchive(bytes->data(), bytes->size());
    }();
    return loaded;
}

void BeginWindowWorld() {
    // Reports fail at once instead of looking for the vendor's hosts (tests that read reports
    // point them at their collector), so the sender's queue drains quickly at the end.
    cvdtest::PointTelemetryAt(cvdtest::kRefusingHost);
    CConfigure& config = CConfigure::Instance();
    config.ResetForTesting();
    config.Init();
    config.NeedStart_flag = 0;
}

void EndWindowWorld() {
    uipages::Settle();
    // Threads a window started (a failure's ping, say) end before the next test's record.
    CConfigure::Instance().WaitForAllThreadExit(30000);
    CConfigure::Instance().ResetForTesting();
    // The report sender ends while the private home is still set: left running past it, it
    // would take its named locks in the machine's shared lock folder. A collector a test used
    // is gone by now, so what is still queued fails fast.
    cvdtest::PointTelemetryAt(cvdtest::kRefusingHost);
    CSingleUserLog& reports = CSingleUserLog::Instance();
    if (reports.HasSenderThread()) reports.WaitThreadForExit();
    Endpoints::Instance().Clear();
}

std::unique_ptr<InstallUIMainWnd> OpenMainWindow(std::shared_ptr<install::IInstallTasks> tasks) {
    auto window =
        std::make_unique<InstallUIMainWnd>(std::move(tasks), platform::TickCount(), false);
    window->SetOnClosed([] {});
    window->SetPinger([](const std::wstring&, int) { return -3; });
    EXPECT_TRUE(window->CreateMainWindow());
    window->CenterWindow();
    window->ShowWindow(true);
    uipages::Settle();
    return window;
}

}  // namespace uitest
