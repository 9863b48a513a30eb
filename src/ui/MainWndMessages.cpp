// InstallUIMainWnd: the table of the install thread's messages and the reactions that are not
// pacing (MainWndProgress.cpp) or failure handling (MainWndFailure.cpp).
#include "config/CConfigure.h"
#include "content/BannerContent.h"
#include "install/InstallWindow.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "ui/InstallUIMainWnd.h"

const std::map<unsigned, InstallUIMainWnd::Reaction>& InstallUIMainWnd::Reactions() {
    static const std::map<unsigned, Reaction> reactions = {
        {WM_INSTALL_MSGBOX_CLEAR, &InstallUIMainWnd::OnMsgBoxClear},
        {WM_INSTALL_FAILED, &InstallUIMainWnd::OnFailed},
        {WM_INSTALL_NOT_EXE_DONE, &InstallUIMainWnd::OnNotExeDone},
        {WM_INSTALL_VERIFYING, &InstallUIMainWnd::OnVerifying},
        {WM_INSTALL_RUNNING, &InstallUIMainWnd::OnRunning},
        {WM_INSTALL_TIMEOUT, &InstallUIMainWnd::OnTimeout},
        {WM_INSTALL_SUCCEEDED, &InstallUIMainWnd::OnSucceeded},
        {WM_INSTALL_SIGNATURE_FAIL, &InstallUIMainWnd::OnSignatureFail},
        {WM_INSTALL_PROGRESS, &InstallUIMainWnd::OnProgress},
        {WM_INSTALL_AUTOSTART, &InstallUIMainWnd::OnAutoStart},
        {WM_INSTALL_BANNER_READY, &InstallUIMainWnd::OnBannerReady},
        {WM_INSTALL_RECHECK_PATH, &InstallUIMainWnd::OnRecheckPath},
        {kPingResultMessage, &InstallUIMainWnd::OnPingResult},
    };
    return reactions;
}

std::intptr_t InstallUIMainWnd::HandleCustomMessage(unsigned message, std::intptr_t wParam,
                                                    std::intptr_t, bool& handled) {
    handled = false;
    const auto found = Reactions().find(message);
    if (found != Reactions().end()) (this->*found->second)(wParam);
    return 0;
}

void InstallUIMainWnd::OnMsgBoxClear(std::intptr_t) {
    if (tasks_) tasks_->ClearAPPData();
}

void InstallUIMainWnd::OnNotExeDone(std::intptr_t) {
    SetInstallProgress(100);
    KillTimer(kBannerTimer);
    ShowResultView();
}

void InstallUIMainWnd::OnSucceeded(std::intptr_t) {
    SetInstallProgress(100);
    KillTimer(kBannerTimer);
    ShowResultView();
    if (startApp_) startApp_->SetVisible(true);
    if (textStartShortcut_) textStartShortcut_->SetVisible(false);
    if (FuntionImpl::AutoRun() || CConfigure::Instance().NeedStart_flag == 1) {
        CVD_LOG << "after install auto start";
        PostWindowMessage(WM_INSTALL_AUTOSTART);
    }
}

void InstallUIMainWnd::OnAutoStart(std::intptr_t) { ClickControl("start_app"); }

void InstallUIMainWnd::OnBannerReady(std::intptr_t) {
    bannerReady_ = true;
    if (carousel_) carousel_->RefreshBanners();
}

void InstallUIMainWnd::OnRecheckPath(std::intptr_t) {
    if (tasks_ && tasks_->IsCorrectInstallPath(*this)) CConfigure::Instance().SetInstallState(1);
}
