#include "install/MainDownload.h"

#include <cstdio>

#include "config/CConfigure.h"
#include "install/DownloadProgressPoster.h"
#include "install/ExceptionReport.h"
#include "install/InstallEvents.h"
#include "install/PathText.h"
#include "platform/Clock.h"
#include "sys/Log.h"
#include "sys/NetworkUtils.h"
#include "sys/TextConvert.h"

namespace install {
namespace {

using FuntionImpl::Utf16ToUtf8;

void StartDownloadClock(InstallAttempt& attempt) {
    attempt.downloadTick = platform::TickCount();
    char elapsed[64];
    std::snprintf(elapsed, sizeof elapsed, "%.2f",
                  static_cast<double>(attempt.downloadTick - attempt.startTick));
    CVD_LOG << " Speed-Test Totally Take " << elapsed << " ms";
    FuntionImpl::GetIEProxyConfig();
}

void PreparePackagePaths(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    attempt.packagePath = config.GetWorkDirectory() + config.GetPackageFileName();
    attempt.taskFilePath = attempt.packagePath + L".xml";
    if (config.GetLoadSource() != 2) return;
    CVD_LOG << " Configure Load From File, clearAppData Before Download! ";
    DeleteFileQuietly(attempt.packagePath);
    DeleteFileQuietly(attempt.taskFilePath);
}

void AnnounceDownload(InstallAttempt& attempt) {
    const bool retried = CConfigure::Instance().UserRetried;
    Ga4("Download", "3.Downloading...", attempt.RetryLabel());
    Funnel("Download", "Downloading",
           {{"DownloadingType", retried ? "Manually Retry downloading" : "FirstDownload"}});
    CVD_LOG << "start main program download: " << Utf16ToUtf8(attempt.packageUrl);
}

void OneAttempt(InstallAttempt& attempt, DownloadProgressPoster& progress) {
    attempt.cdnInfo.clear();
    const int result = attempt.seams.download(attempt.packageUrl, attempt.packagePath,
                                              attempt.cdnInfo, true, true, &progress);
    attempt.mainResult = result;
    if (!attempt.cdnInfo.empty()) Ga4("Other", "CDNInfor", attempt.cdnInfo);
    reportFlowError(result, false);
    if (result == TooManyRedirects)
        SendExceptionReport(attempt, ExceptionKind::TooManyRedirects,
                            " Send error report1, response is ");
    if (result != Success) Ga4("Other", "DownErrorCode", "error" + std::to_string(result));
    CVD_LOG << "download main program retcode = " << result << " " << attempt.attempt;
}

void AnnounceFinish(const InstallAttempt& attempt) {
    CVD_LOG << "main program download finish";
    const std::string label =
        DownloadFinishLabel(CConfigure::Instance().UserRetried, attempt.attempt);
    Ga4("Download", "4.DownFinsh", label);
    const std::int64_t seconds = (platform::TickCount() - attempt.downloadTick) / 1000;
    Ga4("Other", "MDownloadTime", std::to_string(seconds));
    if (attempt.mainResult == Success)
        Funnel("Download", "MDownSuccess", {{"DownSuccessType", label}});
    else
        Funnel("Download", "MDownFail");
    Funnel("Download", "MDownFinsh", {{"MDownloadTime", Bucket(seconds, 3, "s")}});
}

}  // namespace

std::string DownloadFinishLabel(bool userRetried, int attempts) {
    if (userRetried) return "Retry";
    return attempts <= 1 ? "First" : "AutoRetry";
}

bool DownloadMainPackage(InstallAttempt& attempt) {
    StartDownloadClock(attempt);
    PreparePackagePaths(attempt);
    AnnounceDownload(attempt);
    DownloadProgressPoster progress(attempt.window.GetMessageTarget());
    for (attempt.attempt = 1; attempt.attempt <= 4; ++attempt.attempt) {
        if (attempt.Stopped()) return false;
        OneAttempt(attempt, progress);
        if (attempt.mainResult == Success) break;
    }
    if (attempt.attempt > 4) attempt.attempt = 4;
    AnnounceFinish(attempt);
    return true;
}

}  // namespace install
