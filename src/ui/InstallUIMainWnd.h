// The installer's only top-level window: the settings page (language, folder, licence, install
// button), the running page (banner carousel, waiting texts, progress bar) and the result views
// (installation complete or failed). It owns the user interface of the whole install flow; the
// install thread reaches it only through the messages it posts and the configuration record.
//
// Threading: UI thread, except the IInstallWindow members (any thread; they copy). A failed
// download's ping runs on a thread of its own and posts its result back.
// Lifetime: workers hold the message target (weak), never the window.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "install/InstallTasks.h"
#include "install/WaitingWindow.h"
#include "toolkit/WindowBase.h"
#include "ui/CAnimaEx.h"
#include "ui/MessageBoxWnd.h"

namespace toolkit {
class OptionUI;
class TabLayoutUI;
class ComboUI;
class EditUI;
class ContainerUI;
}  // namespace toolkit
class CProgressExUI;

class InstallUIMainWnd : public toolkit::WindowBase,
                         public install::IInstallPage,
                         public install::IWaitingWindowHost,
                         public IAnimaCallback {
public:
    // Window timers.
    static constexpr int kAutoInstallTimer = 666;
    static constexpr int kAutoRetryTimer = 888;
    static constexpr int kVerifyTimer = 1920;
    static constexpr int kInstallTimer = 1921;
    static constexpr int kWaitTextTimer = 1922;
    static constexpr int kHoldTextTimer = 1923;
    static constexpr int kRunUpTimer = 1924;
    static constexpr int kBannerTimer = 2000;
    // The window's own message: a failed download's ping result (milliseconds or a negative
    // error of PingUrl), posted by the thread that pinged.
    static constexpr unsigned kPingResultMessage = 0xB90;
    static constexpr int kResultShown = 1;
    static constexpr int kNoResult = 2;

    // `tasks` is the install flow (the checks, the install thread, the product start);
    // `startTick` the process start tick, from which the time to show is measured.
    // `contentThreads` false keeps the window off the network (tools, tests).
    InstallUIMainWnd(std::shared_ptr<install::IInstallTasks> tasks, std::uint32_t startTick,
                     bool contentThreads = true);
    ~InstallUIMainWnd() override;

    // "CV_UI_Frame_<Downloader_id>", or "CV_UI_Frame" without one.
    static std::string ClassNameFor(std::int32_t downloaderId);
    // Creates the window (hidden; InitWindow has run). false without a display.
    bool CreateMainWindow();
    // When the window closes (after the close events): ends the process's message loop unless
    // replaced (tools that own their loop).
    void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

    // install::IInstallWindow (any thread).
    std::wstring GetInstallPath() const override;
    std::wstring GetDefaultPath() const override;
    std::shared_ptr<IMessageTarget> GetMessageTarget() const override;
    // install::IInstallPage (UI thread).
    void SetInstallPath(const std::wstring& path) override;
    std::int32_t ShowMessageBox(std::int32_t kind, bool owned) override;
    void ShowRunningPage() override;
    bool IsBannerReady() const override { return bannerReady_; }
    void SetProductStarted() override { productStarted_ = true; }
    void RequestClose() override;
    // install::IWaitingWindowHost (UI thread).
    void HideWindow() override;
    void ShowWaitingWindow(const install::WaitingStart& start) override;

    // The one writer of the progress line and bar.
    void SetInstallProgress(int percent);
    // Asks before closing while no result is shown; then requests the close.
    void OnExit();
    // Where the window is, as reported when it closes ("close01" … "close07", or empty).
    std::string ClosePosition() const;
    // The install click, the retry click and the start click, as a user makes them.
    void ClickControl(const std::string& name);
    // Shows the folder chooser; -1 when cancelled, else 0 with the folder written to the field.
    int OpenBrowerDialog();
    // The folder chosen in the dialog: "…/Zorvik" appended unless it is already there.
    static std::wstring BrowsedFolder(const std::wstring& chosen);
    // The install folder made of the typed folder: separators normalised, the product name added
    // unless it is already part of it.
    static std::wstring FinalInstallPath(std::wstring typed, const std::wstring& softwareName);
    // The host a failed download's address is pinged at: 0, or -1 (no address), -2 (no '.'),
    // -3 (no '/' after it), -4 (no '/' before that), -5 (empty host).
    static std::int32_t PingHostOf(const std::wstring& url, std::wstring& host);
    // Pings a host as FuntionImpl::PingUrl does (host, limit in seconds); tests replace it.
    using Pinger = std::function<int(const std::wstring& host, int limit)>;
    void SetPinger(Pinger pinger) { pinger_ = std::move(pinger); }
    // Milliseconds per percent of the installation stage for a package of `packageSize` bytes.
    static unsigned PacingInterval(std::int64_t packageSize);
    // The installation stage's timer period for that interval, the display running up or
    // holding at 98 (bounded below, so the timer never spins).
    static unsigned PacingPeriod(unsigned interval, bool holding);

    int ResultState() const { return resultState_; }
    int ProgressValue() const;
    int BannerCount() const { return bannerCount_; }
    CAnimaEx* Carousel() const { return carousel_.get(); }
    // Applies language `index` (the configuration's index follows).
    void ApplyLanguage(int index);
    void AdjustWindowHeight(int height);

    // IAnimaCallback
    int GetSlideCount() override { return bannerCount_; }
    int GetSlideWidth() override { return 650; }
    int GetSlideHeight() override { return 300; }
    std::string GetSlideFontFace() override;
    std::string GetBannerPicture(int key) override;

protected:
    std::string GetWindowClassName() const override;
    std::string GetSkinFile() override { return "InstallMainWnd.xml"; }
    void InitWindow() override;
    void Notify(toolkit::NotifyMsg& msg) override;
    void OnClick(toolkit::NotifyMsg& msg) override;
    void OnSelectChange(toolkit::NotifyMsg& msg) override;
    void OnItemSelect(toolkit::NotifyMsg& msg) override;
    std::intptr_t HandleCustomMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam,
                                      bool& handled) override;
    bool OnTimer(int id) override;
    bool OnClose() override;
    bool OnEnterKey() override;
    bool OnEscapeKey() override;

private:
    using Reaction = void (InstallUIMainWnd::*)(std::intptr_t);
    static const std::map<unsigned, Reaction>& Reactions();
    static const std::map<int, void (InstallUIMainWnd::*)()>& Timers();

    // Start-up and language (InstallUIMainWnd.cpp).
    void LoadControls();
    void SelectCurrentLanguage();
    void StartContentThreads();
    void ReportLaunch();
    void ReportFirstRun();
    void SetWindowComposition(bool on);

    // Pages (MainWndPages.cpp).
    int GetAnimaCount();
    void BeginBannerPlay();
    void ShowResultView();
    void OnBannerTimer();

    // Clicks, links and keys (MainWndClicks.cpp).
    void OnInstallClick();
    void OnRetryClick();
    void OnLicenseLink(int link);
    void OnAdviceLink();
    void OpenLink(const char* logText, const std::wstring& url);
    std::string RetryLabel() const;
    void OnAutoInstallTimer();

    // "Use Now" (MainWndStart.cpp).
    void OnStartClick();

    // Messages of the install thread (MainWndMessages.cpp).
    void OnMsgBoxClear(std::intptr_t);
    void OnNotExeDone(std::intptr_t);
    void OnSucceeded(std::intptr_t);
    void OnAutoStart(std::intptr_t);
    void OnBannerReady(std::intptr_t);
    void OnRecheckPath(std::intptr_t);

    // Progress line and pacing (MainWndProgress.cpp).
    // Every attempt's progress starts from 0: bar, pacing timers, waiting texts, stage.
    void ResetProgress();
    void OnVerifying(std::intptr_t);
    void OnRunning(std::intptr_t);
    void OnProgress(std::intptr_t percent);
    void OnVerifyTimer();
    void OnInstallPacingTimer();
    void OnRunUpTimer();
    void OnWaitTextTimer();
    void OnHoldTextTimer();

    // Failures (MainWndFailure.cpp).
    void OnFailed(std::intptr_t code);
    void OnTimeout(std::intptr_t);
    void OnSignatureFail(std::intptr_t);
    void ShowFailureControls();
    void ShowFailureView();
    std::int32_t PingUrlAndReport();
    void OnPingResult(std::intptr_t ms);
    void OnAutoRetryTimer();

    std::shared_ptr<install::IInstallTasks> tasks_;
    std::uint32_t startTick_;
    bool startContentThreads_;
    std::function<void()> onClosed_;

    toolkit::Control* root_ = nullptr;
    toolkit::TabLayoutUI* mainTab_ = nullptr;
    toolkit::EditUI* pathEdit_ = nullptr;
    CProgressExUI* progress_ = nullptr;
    toolkit::Control* installLabel_ = nullptr;
    toolkit::OptionUI* installSetting_ = nullptr;
    toolkit::Control* licenseLink_ = nullptr;
    toolkit::OptionUI* licenseCheckbox_ = nullptr;
    toolkit::OptionUI* agreeImprovement_ = nullptr;
    toolkit::TabLayoutUI* setLayout_ = nullptr;
    toolkit::TabLayoutUI* pageLayout_ = nullptr;
    toolkit::Control* installBtn_ = nullptr;
    toolkit::Control* licenseText_ = nullptr;
    toolkit::Control* licenseTextLayout_ = nullptr;
    toolkit::ComboUI* languageCombo_ = nullptr;
    toolkit::Control* textFailAdvice_ = nullptr;
    toolkit::Control* textStartShortcut_ = nullptr;
    toolkit::Control* startApp_ = nullptr;
    toolkit::Control* retryBtn_ = nullptr;
    toolkit::Control* backgroundLayout_ = nullptr;
    toolkit::ContainerUI* horBanner_ = nullptr;
    toolkit::Control* layoutInstallOk_ = nullptr;
    toolkit::Control* layoutInstallFail_ = nullptr;
    toolkit::ContainerUI* horOption_ = nullptr;

    std::unique_ptr<CAnimaEx> carousel_;
    int resultState_ = kNoResult;
    std::string progressTemplate_;
    mutable std::mutex pathMutex_;
    std::wstring installPath_;
    std::wstring defaultInstallPath_;
    int bannerCount_ = 0;
    unsigned bannerInterval_ = 3000;
    bool productStarted_ = false;
    int waitTextCounter_ = 0;
    bool holding_ = false;   // the display holds at 98 while the product's installer works
    unsigned pacingMs_ = 0;  // the installation stage's timer period
    bool bannerReady_ = false;
    bool startTimeSent_ = false;
    std::shared_ptr<IMessageTarget> messageTarget_;
    Pinger pinger_;
};
