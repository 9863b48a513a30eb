// The install thread: one attempt from the click to the installed product, phase by phase.
#include <optional>

#include "config/CConfigure.h"
#include "config/WorkDirectories.h"
#include "install/AfterInstall.h"
#include "install/DownloadSummary.h"
#include "install/FolderRecheck.h"
#include "install/InstallAttempt.h"
#include "install/InstallEvents.h"
#include "install/MainDownload.h"
#include "install/SubProgramDownloads.h"
#include "install/UrlChoice.h"
#include "install/Verification.h"
#include "platform/Clock.h"
#include "sys/Log.h"

namespace install {
namespace {

// After the downloads: a failed main download ends the attempt, a package that is not a setup
// program is complete once downloaded. Nothing when the attempt goes on to verification.
std::optional<std::uint32_t> DownloadOutcome(InstallAttempt& attempt) {
    if (attempt.Stopped()) return kStoppedOrFailed;
    if (attempt.mainResult != Success) {
        attempt.Post(WM_INSTALL_FAILED, static_cast<std::uintptr_t>(attempt.mainResult));
        CVD_LOG << "download error return";
        return kStoppedOrFailed;
    }
    if (!workdirs::IsExecutableDownload(CConfigure::Instance().GetDownload_url())) {
        attempt.Post(WM_INSTALL_NOT_EXE_DONE);
        CVD_LOG << "APP DownloaderSucceed";
        return kNotExecutableDone;
    }
    return std::nullopt;
}

// False when the thread must end with -1 (time-out or stop, already reported by the runs).
bool RunInstallers(InstallAttempt& attempt) {
    CVD_LOG << "all before install correct";
    Funnel("MD5Verification", "MIntegrityCheckSuccess");
    CConfigure::Instance().SetInstallStage(1);
    attempt.installTick = platform::TickCount();
    if (!attempt.seams.runMainPackage(attempt.runPath, attempt.installPath, attempt.window))
        return false;
    return attempt.seams.runSubPrograms(attempt.installPath, attempt.window);
}

}  // namespace

std::uint32_t InstallThreadFunc(const IInstallWindow& window, InstallSeams seams) {
    InstallAttempt attempt(window, std::move(seams));
    attempt.startTick = platform::TickCount();
    if (!AwaitFolderCheck(attempt)) return kStoppedOrFailed;
    if (!ChoosePackageUrl(attempt)) return kStoppedOrFailed;
    ApplyProgramFilesRule(attempt);
    if (!DownloadMainPackage(attempt)) return kStoppedOrFailed;
    attempt.totalBytes = CConfigure::Instance().GetFilesize();
    if (!DownloadSubPrograms(attempt)) return kStoppedOrFailed;
    ReportDownloadSummary(attempt);
    if (const auto outcome = DownloadOutcome(attempt)) return *outcome;
    if (!VerifyPackages(attempt)) return kStoppedOrFailed;
    if (!RunInstallers(attempt)) return kStoppedOrFailed;
    FinishInstallation(attempt);
    return kInstalled;
}

}  // namespace install
