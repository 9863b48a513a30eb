#include "install/SubProgramDownloads.h"

#include "config/CConfigure.h"
#include "install/DownloadProgressPoster.h"
#include "install/InstallEvents.h"
#include "install/ServerNames.h"
#include "sys/Log.h"
#include "sys/StringUtils.h"

namespace install {
namespace {

// False when stopped.
bool AwaitSubProgramList(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    CVD_LOG << "is toolkit, check subprogram";
    for (int pass = 0; pass < 10; ++pass) {
        if (attempt.Stopped()) return false;
        if (config.SubProgramCount() != 0) continue;
        if (config.GetSubProgramInfoDone()) break;
        attempt.seams.sleep(1000);
    }
    return true;
}

enum class TryResult { Downloaded, Failed, Stopped };

TryResult TryDownload(InstallAttempt& attempt, std::size_t index, std::size_t count,
                      const SubProgramInfo& info, DownloadProgressPoster& progress) {
    const std::string id = std::to_string(info.pid);
    for (int attemptNo = 1; attemptNo <= 3; ++attemptNo) {
        if (attempt.Stopped()) return TryResult::Stopped;
        CVD_LOG << " SubProgram Info: " << index << "/" << count << ", " << attemptNo << "/3";
        Ga4("Download", "3.DownloadingIsChToolKit", id);
        Funnel("Download", "DownloadingIsChToolKit", {{"SubprogramPID", id}});
        attempt.cdnInfo.clear();
        const int r = attempt.seams.download(info.download, info.local_path, attempt.cdnInfo, false,
                                             true, &progress);
        if (!attempt.cdnInfo.empty()) Ga4("Other", "CDNInfor", attempt.cdnInfo);
        reportFlowError(r, true);
        if (r == Success) {
            CConfigure::Instance().SetSubProgramStatus(index, 1);
            Ga4("Download", "4.DownFinshIsChToolKit", id);
            Funnel("Download", "DownFinishIsChToolKit", {{"SubprogramDownFinshPID", id}});
            return TryResult::Downloaded;
        }
        Ga4("Other", "DownErrorIsChToolKitErrorCode", "error" + std::to_string(r));
        CVD_LOG << " SubProgram Download Fail retcode: " << r << ", " << index << "(curindex)/"
                << count << "(allindex), " << attemptNo << "(retry)/3";
    }
    return TryResult::Failed;
}

}  // namespace

bool SubProgramNamesAccepted(const SubProgramInfo& info) {
    return AcceptServerName("launch_name", info.launch_name) &&
           AcceptServerName("install_dir", info.install_dir);
}

bool DownloadSubPrograms(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    if (!config.IsToolkit) return true;
    if (!AwaitSubProgramList(attempt)) return false;
    DownloadProgressPoster progress(attempt.window.GetMessageTarget());
    const std::size_t count = config.SubProgramCount();
    SubProgramInfo info;
    for (std::size_t i = 0; config.GetSubProgram(i, info); ++i) {
        config.SetCurrentSubProgram(static_cast<std::int32_t>(i));
        CVD_LOG << "start download subprogram index = " << i;
        attempt.totalBytes += FuntionImpl::WToI64(info.file_size);
        // Names that would lead out of the install folder are never downloaded, so never run.
        if (!SubProgramNamesAccepted(info)) continue;
        if (TryDownload(attempt, i, count, info, progress) == TryResult::Stopped) return false;
    }
    return true;
}

}  // namespace install
