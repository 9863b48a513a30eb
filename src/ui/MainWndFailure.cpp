// InstallUIMainWnd: how an attempt that failed ends: the box, the events, the server
// reachability report and the failure view with its retry button.
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/NetworkUtils.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MainWndShared.h"

using ui::mainwnd::UserLog;

void InstallUIMainWnd::ShowFailureControls() {
    if (layoutInstallOk_) layoutInstallOk_->SetVisible(false);
    if (layoutInstallFail_) layoutInstallFail_->SetVisible(true);
    if (startApp_) startApp_->SetVisible(true);
    if (textStartShortcut_) textStartShortcut_->SetVisible(false);
    if (FuntionImpl::AutoRun()) SetTimer(kAutoRetryTimer, 1000);
}

void InstallUIMainWnd::ShowFailureView() {
    ShowFailureControls();
    KillTimer(kBannerTimer);
    ShowResultView();
}

void InstallUIMainWnd::OnFailed(std::intptr_t code) {
    KillTimer(kWaitTextTimer);
    PingUrlAndReport();
    switch (code) {
        case 9:  // NetworkDown
            ShowMessageBox(MSG_INTERNET_FAIL, true);
            break;
        case 10:  // NoProgressTimeout
            ShowMessageBox(MSG_INTERNET_TIMEOUT, true);
            break;
        case 11:  // TooManyRequestFailures
            if (tasks_) tasks_->CountTooManyRequests();
            ShowMessageBox(MSG_INTERNET_TIMEOUT, true);
            break;
        case 0:  // the folder was refused; that refusal showed its own box
            break;
        default:
            ShowMessageBox(MSG_URL_FAIL, true);
            break;
    }
    UserLog().AddUserLog("Download", "8.DownFail", RetryLabel());
    UserLog().AddUserLog_funnel("DownFail", "DownFailReason", "DownFailError", "error_page_2");
    ShowFailureView();
}

void InstallUIMainWnd::OnTimeout(std::intptr_t) {
    KillTimer(kHoldTextTimer);
    KillTimer(kInstallTimer);
    UserLog().AddUserLog_funnel("DownFail", "DownFailReason", "DownFailError", "error_page_3");
    ShowMessageBox(MSG_INSTALL_TIMEOUT, true);
    ShowFailureView();
}

void InstallUIMainWnd::OnSignatureFail(std::intptr_t) {
    KillTimer(kVerifyTimer);
    UserLog().AddUserLog_funnel("DownFail", "DownFailReason", "DownFailError", "error_page_4");
    ShowMessageBox(MSG_MD5_FAIL, true);
    ShowFailureView();
}

std::int32_t InstallUIMainWnd::PingHostOf(const std::wstring& url, std::wstring& host) {
    if (url.empty()) return -1;
    const std::size_t dot = url.find(L'.');
    if (dot == std::wstring::npos) return -2;
    const std::size_t slash = url.find(L'/', dot);
    if (slash == std::wstring::npos) return -3;
    const std::size_t start = slash == 0 ? std::wstring::npos : url.rfind(L'/', slash - 1);
    if (start == std::wstring::npos) return -4;
    host = url.substr(start + 1, slash - start - 1);
    return host.empty() ? -5 : 0;
}

std::int32_t InstallUIMainWnd::PingUrlAndReport() {
    std::wstring host;
    const std::int32_t parsed = PingHostOf(CConfigure::Instance().CurrentDownloadUrl(), host);
    if (parsed != 0) return parsed;
    const int ms = FuntionImpl::PingUrl(host, 5);
    CVD_LOG << " PingUrl result is " << ms;
    const std::string label =
        ms < 1 ? std::to_string(ms) : CSingleUserLog::BucketLabel(ms, 100, "ms");
    UserLog().AddUserLog_funnel("Download", "DownFail", "DownFailTyoy", label);
    return 0;
}

void InstallUIMainWnd::OnAutoRetryTimer() {
    KillTimer(kAutoRetryTimer);
    ClickControl("retry_btn");
}
