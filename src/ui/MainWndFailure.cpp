// InstallUIMainWnd: how an attempt that failed ends: the box, the events, the server
// reachability report and the failure view with its retry button.
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "platform/Thread.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/NetworkUtils.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MainWndShared.h"

using ui::mainwnd::UserLog;

namespace {

// ping takes a host alone: no user ("user@host") and no port ("host:8443", "[::1]:8443").
std::wstring BareHost(std::wstring host) {
    if (const std::size_t at = host.rfind(L'@'); at != std::wstring::npos) host.erase(0, at + 1);
    if (host.starts_with(L'[')) {
        const std::size_t close = host.find(L']');
        return close == std::wstring::npos ? std::wstring() : host.substr(1, close - 1);
    }
    const std::size_t colon = host.find(L':');
    if (colon != std::wstring::npos && host.find(L':', colon + 1) == std::wstring::npos)
        host.erase(colon);
    return host;
}

}  // namespace

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
    host = BareHost(url.substr(start + 1, slash - start - 1));
    return host.empty() ? -5 : 0;
}

// The ping takes up to five seconds: it runs on a thread of its own and posts its result, which
// a window that has closed meanwhile drops.
std::int32_t InstallUIMainWnd::PingUrlAndReport() {
    std::wstring host;
    const std::int32_t parsed = PingHostOf(CConfigure::Instance().CurrentDownloadUrl(), host);
    if (parsed != 0) return parsed;
    auto ping = pinger_ ? pinger_ : Pinger(FuntionImpl::PingUrl);
    auto thread = platform::Thread::Start([ping, host, target = messageTarget_] {
        const int ms = ping(host, 5);
        target->PostCustomMessage(kPingResultMessage, static_cast<std::uintptr_t>(ms), 0);
    });
    if (thread) CConfigure::Instance().AddWorkerThread(thread);
    return 0;
}

void InstallUIMainWnd::OnPingResult(std::intptr_t result) {
    const int ms = static_cast<int>(result);
    CVD_LOG << " PingUrl result is " << ms;
    const std::string label =
        ms < 1 ? std::to_string(ms) : CSingleUserLog::BucketLabel(ms, 100, "ms");
    UserLog().AddUserLog_funnel("Download", "DownFail", "DownFailTyoy", label);
}

void InstallUIMainWnd::OnAutoRetryTimer() {
    KillTimer(kAutoRetryTimer);
    ClickControl("retry_btn");
}
