// InstallUIMainWnd: the progress line and bar, the timers that pace the percentage through the
// stages nobody measures (verification, the product's installer), and the waiting texts.
#include <algorithm>

#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "toolkit/Button.h"
#include "ui/CProgressExUI.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/LanguageFiles.h"
#include "ui/ProgressLine.h"

namespace {
// A small package runs up to 98 at the shortest timer period; while the display holds there,
// the installation stage only watches for the installer's end.
constexpr unsigned kShortestTimerMs = 10;
constexpr unsigned kHoldPollMs = 250;
}  // namespace

int InstallUIMainWnd::ProgressValue() const { return progress_ ? progress_->GetValue() : 0; }

void InstallUIMainWnd::ResetProgress() {
    for (int timer : {kVerifyTimer, kInstallTimer, kRunUpTimer, kWaitTextTimer, kHoldTextTimer})
        KillTimer(timer);
    holding_ = false;
    pacingMs_ = 0;
    waitTextCounter_ = 0;
    // The stage the last attempt reached would stop the new attempt's verification pacing.
    CConfigure::Instance().SetInstallStage(0);
    if (progress_) progress_->SetValue(0);
}

void InstallUIMainWnd::SetInstallProgress(int percent) {
    if (!installLabel_ || !progress_) return;
    if (percent == 0) {
        if (SetTimer(kWaitTextTimer, 1000)) {
            waitTextCounter_ = 0;
            installLabel_->SetText(language::InstallPageText(
                CConfigure::Instance().GetLanguageIndex(), "wait_text_1"));
        }
        return;
    }
    if (percent == 99 && CConfigure::Instance().GetInstallStage() < 2) {
        // The hold text counts from the start of the hold, not from the last pacing tick.
        if (!holding_ && SetTimer(kHoldTextTimer, 1000)) {
            holding_ = true;
            waitTextCounter_ = 0;
        }
        return;
    }
    if (percent >= 1) KillTimer(kWaitTextTimer);
    if (percent >= 100) {
        KillTimer(kHoldTextTimer);
        holding_ = false;
    }
    installLabel_->SetText(ui::FormatProgressLine(progressTemplate_, percent));
    progress_->SetValue(percent);
}

void InstallUIMainWnd::OnVerifying(std::intptr_t) {
    SetInstallProgress(65);
    SetTimer(kVerifyTimer, 2000);
}

unsigned InstallUIMainWnd::PacingInterval(std::int64_t packageSize) {
    if (packageSize <= 0) return 0;
    return static_cast<unsigned>(((packageSize / 71680) / 10) * 4);
}

unsigned InstallUIMainWnd::PacingPeriod(unsigned interval, bool holding) {
    return std::max(interval, holding ? kHoldPollMs : kShortestTimerMs);
}

void InstallUIMainWnd::OnRunning(std::intptr_t) {
    KillTimer(kVerifyTimer);
    SetInstallProgress(70);
    pacingMs_ = PacingPeriod(PacingInterval(CConfigure::Instance().GetPackageSize()), false);
    SetTimer(kInstallTimer, pacingMs_);
}

void InstallUIMainWnd::OnProgress(std::intptr_t percent) {
    if (progress_ && progress_->GetValue() < percent) SetInstallProgress(static_cast<int>(percent));
}

const std::map<int, void (InstallUIMainWnd::*)()>& InstallUIMainWnd::Timers() {
    static const std::map<int, void (InstallUIMainWnd::*)()> timers = {
        {kAutoInstallTimer, &InstallUIMainWnd::OnAutoInstallTimer},
        {kAutoRetryTimer, &InstallUIMainWnd::OnAutoRetryTimer},
        {kVerifyTimer, &InstallUIMainWnd::OnVerifyTimer},
        {kInstallTimer, &InstallUIMainWnd::OnInstallPacingTimer},
        {kRunUpTimer, &InstallUIMainWnd::OnRunUpTimer},
        {kWaitTextTimer, &InstallUIMainWnd::OnWaitTextTimer},
        {kHoldTextTimer, &InstallUIMainWnd::OnHoldTextTimer},
        {kBannerTimer, &InstallUIMainWnd::OnBannerTimer},
    };
    return timers;
}

bool InstallUIMainWnd::OnTimer(int id) {
    const auto found = Timers().find(id);
    if (found == Timers().end()) return false;
    (this->*found->second)();
    return true;
}

void InstallUIMainWnd::OnVerifyTimer() {
    const int next = ProgressValue() + 1;
    if (CConfigure::Instance().GetInstallStage() == 0 && next < 70)
        SetInstallProgress(next);
    else
        KillTimer(kVerifyTimer);
}

void InstallUIMainWnd::OnInstallPacingTimer() {
    const int next = ProgressValue() + 1;
    if (CConfigure::Instance().GetInstallStage() < 2 && next < 100) {
        SetInstallProgress(next);
        if (holding_ && PacingPeriod(pacingMs_, true) != pacingMs_) {
            pacingMs_ = PacingPeriod(pacingMs_, true);
            SetTimer(kInstallTimer, pacingMs_);
        }
        return;
    }
    KillTimer(kInstallTimer);
    if (next < 100)
        SetTimer(kRunUpTimer, 100);
    else
        PostWindowMessage(WM_INSTALL_SUCCEEDED);
}

void InstallUIMainWnd::OnRunUpTimer() {
    const int next = ProgressValue() + 1;
    if (next < 101) {
        SetInstallProgress(next);
        return;
    }
    KillTimer(kRunUpTimer);
    PostWindowMessage(WM_INSTALL_SUCCEEDED);
}

void InstallUIMainWnd::OnWaitTextTimer() {
    const int count = ++waitTextCounter_;
    const char* key = nullptr;
    if (count == 3) key = "wait_text_2";
    if (count == 6) key = "wait_text_3";
    if (count == 11) {
        KillTimer(kWaitTextTimer);
        key = "wait_text_4";
    }
    if (key && installLabel_)
        installLabel_->SetText(
            language::InstallPageText(CConfigure::Instance().GetLanguageIndex(), key));
}

void InstallUIMainWnd::OnHoldTextTimer() {
    if (++waitTextCounter_ != 5) return;
    KillTimer(kHoldTextTimer);
    if (installLabel_)
        installLabel_->SetText(
            language::InstallPageText(CConfigure::Instance().GetLanguageIndex(), "wait_text_5"));
}
