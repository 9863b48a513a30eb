#include "install/UrlChoice.h"

#include "config/CConfigure.h"
#include "install/InstallEvents.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {
namespace {

using FuntionImpl::Utf16ToUtf8;

// Probes the URL; on a 404 moves to the next candidate. True when it moved.
bool ProbeAndMaybeMove(InstallAttempt& attempt, const char* logText) {
    long status = 0;
    int curlCode = 0;
    if (!attempt.seams.probeUrl(Utf16ToUtf8(attempt.packageUrl), status, curlCode)) {
        CVD_LOG << " Curl object create failed!";
        return false;
    }
    CVD_LOG << logText << status << ", curl code is " << curlCode;
    if (status != 404) return false;
    CConfigure& config = CConfigure::Instance();
    config.NextDownloadUrl();
    attempt.packageUrl = config.CurrentDownloadUrl();
    CVD_LOG << " UrlUsed change to: " << Utf16ToUtf8(attempt.packageUrl);
    return true;
}

}  // namespace

bool ChoosePackageUrl(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    attempt.packageUrl = config.CurrentDownloadUrl();
    const std::wstring& url = attempt.packageUrl;
    if (config.Department == 2 && attempt.seams.windowsVersion < 10.0f &&
        url.find(L"_zvwin.exe") != std::wstring::npos) {
        ProbeAndMaybeMove(attempt, " Curl check win78 link, http code is ");
    } else if (config.Department == 1 && attempt.seams.is64BitSystem &&
               url.find(L"_64.exe") != std::wstring::npos) {
        if (ProbeAndMaybeMove(attempt, " Curl check 64Bit link, http code is ")) {
            Ga4("Download", "64PC32Link", "");
            Funnel("Download", "64PC32Link");
        }
    }
    if (attempt.packageUrl.size() < 5) {
        CVD_LOG << "url is empty";
        config.SetLoadSource(2);
        ReportFlowCode("DL023");
        attempt.Post(WM_INSTALL_FAILED, NoPackageUrl);
        return false;
    }
    return true;
}

std::wstring ReplaceProgramFiles(const std::wstring& path, const std::wstring& native,
                                 const std::wstring& view32) {
    if (native.empty()) return path;
    const std::size_t at = path.find(native);
    if (at == std::wstring::npos) return path;
    return path.substr(0, at) + view32 + path.substr(at + native.size());
}

void ApplyProgramFilesRule(InstallAttempt& attempt) {
    if (!CConfigure::Instance().Support32System) return;
    if (attempt.packageUrl.find(L"_64.exe") != std::wstring::npos) return;
    if (attempt.window.GetDefaultPath() != attempt.installPath) return;
    attempt.installPath = ReplaceProgramFiles(attempt.installPath, attempt.seams.programFilesNative,
                                              attempt.seams.programFiles32);
    CVD_LOG << "actual installation path is " << Utf16ToUtf8(attempt.installPath);
}

}  // namespace install
