#include "install/AfterInstall.h"

#include <cstdio>

#include "config/CConfigure.h"
#include "install/InstallEvents.h"
#include "install/PathText.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {

void FinishInstallation(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    config.SetInstallStage(2);
    const std::int64_t seconds = (platform::TickCount() - attempt.installTick) / 1000;
    CVD_LOG << " Cmd Finished, nWaitSeconds: " << seconds;
    Ga4("Download", "6.ProgramFinsh", attempt.RetryLabel());
    Ga4("Other", "InstallTime", std::to_string(seconds));
    const std::wstring version = config.GetSoftware_version();
    if (!version.empty()) Ga4("Other", "ProductVersion", FuntionImpl::Utf16ToUtf8(version));
    const std::uint32_t deleteTick = platform::TickCount();
    config.DeleteFiles();
    CVD_LOG << "ClearAllFiles time:" << platform::TickCount() - deleteTick;
    char minutes[64];
    std::snprintf(minutes, sizeof minutes, "%.1f",
                  (platform::TickCount() - attempt.downloadEndTick) / 60000.0);
    CVD_LOG << " Install Totally Take " << minutes << " minutes And Send To Server";
    if (FuntionImpl::AutoRun()) RestartForNextRun(attempt);
}

void RestartForNextRun(InstallAttempt& attempt) {
    attempt.seams.sleep(2000);
    CVD_LOG << " Force Exit 1";
    DeleteFileQuietly(attempt.packagePath);
    CVD_LOG << " Force Exit 2";
    DeleteFileQuietly(attempt.taskFilePath);
    CVD_LOG << " Force Exit 3";
    const bool started = attempt.seams.restartSelf();
    CVD_LOG << " Force Exit 4";
    CVD_LOG << " Force Exit 5 error code = " << (started ? 0 : 1);
}

bool RestartOwnExecutable() {
    platform::ProcessOptions options;
    options.commandLine = platform::QuoteArgument(platform::ModulePath());
    options.newSession = true;
    return platform::Process::Start(options) != nullptr;
}

}  // namespace install
