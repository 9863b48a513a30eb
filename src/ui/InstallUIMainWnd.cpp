// InstallUIMainWnd, the window's face: construction, start-up, the language, the settings
// drawer, the notifications it routes, and closing. The flow behind it lives beside it:
// MainWndMessages.cpp, MainWndProgress.cpp, MainWndClicks.cpp, MainWndFailure.cpp,
// MainWndPages.cpp.
#include "ui/InstallUIMainWnd.h"

#include <algorithm>
#include <cstdio>

#include "config/CConfigure.h"
#include "config/LanguageTables.h"
#include "content/ContentThreads.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/Thread.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/OsFacts.h"
#include "sys/RegistryUtils.h"
#include "sys/TextConvert.h"
#include "sys/VersionInfo.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/Shell.h"
#include "ui/CProgressExUI.h"
#include "ui/LanguageFiles.h"
#include "ui/MainWndShared.h"
#include "ui/PortMessageTarget.h"

using FuntionImpl::Utf16ToUtf8;
using FuntionImpl::Utf8ToUtf16;
using ui::mainwnd::kFolderName;
using ui::mainwnd::UserLog;

namespace {

constexpr int kFullHeight = 571;
constexpr int kFoldedBy = 200;
constexpr const wchar_t* kMachineKey = L"SOFTWARE\\Corvantis\\Downloader2.5.0";
constexpr const char* kDotGroup = "image_play_option";

template <class T>
T* Find(toolkit::WindowBase& window, const char* name, const char* iface) {
    toolkit::Control* c = window.FindControl(name);
    return c ? c->As<T>(iface) : nullptr;
}

}  // namespace

InstallUIMainWnd::InstallUIMainWnd(std::shared_ptr<install::IInstallTasks> tasks,
                                   std::uint32_t startTick, bool contentThreads)
    : tasks_(std::move(tasks)), startTick_(startTick), startContentThreads_(contentThreads) {
    messageTarget_ = std::make_shared<ui::PortMessageTarget>(Port());
}

InstallUIMainWnd::~InstallUIMainWnd() { carousel_.reset(); }

std::string InstallUIMainWnd::ClassNameFor(std::int32_t downloaderId) {
    return downloaderId != 0 ? "CV_UI_Frame_" + std::to_string(downloaderId) : "CV_UI_Frame";
}

std::string InstallUIMainWnd::GetWindowClassName() const {
    return ClassNameFor(CConfigure::Instance().Downloader_id);
}

bool InstallUIMainWnd::CreateMainWindow() {
    return Create(nullptr, Utf16ToUtf8(CConfigure::Instance().GetSoftware_name()));
}

// ---- the install thread's view --------------------------------------------------------------

std::wstring InstallUIMainWnd::GetInstallPath() const {
    std::lock_guard lock(pathMutex_);
    return installPath_;
}

std::wstring InstallUIMainWnd::GetDefaultPath() const {
    std::lock_guard lock(pathMutex_);
    return defaultInstallPath_;
}

std::shared_ptr<IMessageTarget> InstallUIMainWnd::GetMessageTarget() const {
    return messageTarget_;
}

void InstallUIMainWnd::SetInstallPath(const std::wstring& path) {
    {
        std::lock_guard lock(pathMutex_);
        installPath_ = path;
    }
    if (pathEdit_) pathEdit_->SetText(Utf16ToUtf8(path));
}

void InstallUIMainWnd::RequestClose() { PostWindowMessage(toolkit::kMsgClose); }

// ---- start-up -------------------------------------------------------------------------------

void InstallUIMainWnd::InitWindow() {
    bannerCount_ = GetAnimaCount();
    {
        std::lock_guard lock(pathMutex_);
        defaultInstallPath_ = platform::ProgramFilesFolder() + kFolderName;
        installPath_ = defaultInstallPath_;
    }
    root_ = FindControl("root_layout");
    LoadControls();
    AdjustWindowHeight(-1);
    StartContentThreads();
    bannerInterval_ = 3000;
    SetIcon(platform::OwnResource(platform::kIconResource));
    ReportLaunch();
    if (FuntionImpl::AutoRun()) SetTimer(kAutoInstallTimer, 2000);
}

void InstallUIMainWnd::StartContentThreads() {
    if (!startContentThreads_) return;
    CConfigure& config = CConfigure::Instance();
    for (auto body :
         {+[] { content::AsyncGetCbsInfoThreadFunc(); },
          +[] { content::GetSubProgramInfoThreadFunc(); }, +[] { content::GetCbsPrivacy(); }})
        if (auto thread = platform::Thread::Start(body)) config.AddWorkerThread(thread);
}

void InstallUIMainWnd::ReportLaunch() {
    CConfigure& config = CConfigure::Instance();
    const std::wstring module = platform::ModulePath();
    CVD_LOG << " Downloader info: " << Utf16ToUtf8(module) << " "
            << FuntionImpl::GetFileVersionText(Utf16ToUtf8(module)) << " "
            << (FuntionImpl::Is64BitSystem() ? "True" : "False") << " "
            << platform::CurrentProcessId();
    int width = 0, height = 0;
    const double scale = FuntionImpl::GetDisplayScale(width, height);
    CVD_LOG << " Screen: " << width << "*" << height << " " << scale;
    CVD_LOG << " Request For Product Config -- " << config.Downloader_id << " " << config.Site_id
            << " " << config.Language_id;
    UserLog().AddUserLog("CrashRate", "Start", "");
    ReportFirstRun();
    UserLog().AddUserLog("Download", "1.Launch", "");
    const std::uint32_t shown = platform::TickCount() - startTick_;
    UserLog().AddUserLog("Other", "ClickToShowTime", std::to_string(shown));
    UserLog().AddUserLog_funnel("StartDownloader", "Start", "ClickToShowTime",
                                CSingleUserLog::BucketLabel(shown / 1000, 3, "s"));
}

void InstallUIMainWnd::ReportFirstRun() {
    const auto root = platform::RegistryRoot::LocalMachine;
    if (!FuntionImpl::ReadRegistryString(root, kMachineKey, L"GA_PC").empty()) return;
    float version = 0;
    const std::string os = FuntionImpl::GetOsVersion(version);
    UserLog().AddUserLog("PC", "SysOS", os + (FuntionImpl::Is64BitSystem() ? " 64bit" : " 32bit"));
    UserLog().AddUserLog("PC", "SysLanguage", GetSystemLanguageName());
    int width = 0, height = 0;
    FuntionImpl::GetDisplayScale(width, height);
    char resolution[32];
    std::snprintf(resolution, sizeof resolution, "%d*%d", width, height);
    UserLog().AddUserLog("PC", "SysScreenResolution", resolution);
    FuntionImpl::WriteRegistryString(root, kMachineKey, L"GA_PC", L"1");
}

void InstallUIMainWnd::LoadControls() {
    CVD_LOG << "start init load controls";
    mainTab_ = Find<toolkit::TabLayoutUI>(*this, "main_tablayout", "TabLayout");
    pathEdit_ = Find<toolkit::EditUI>(*this, "install_file_path_edit", "Edit");
    progress_ = Find<CProgressExUI>(*this, "install_progress", "Progress");
    installLabel_ = FindControl("install_label");
    installSetting_ = Find<toolkit::OptionUI>(*this, "install_setting", "Option");
    licenseLink_ = FindControl("license_link");
    licenseCheckbox_ = Find<toolkit::OptionUI>(*this, "license_checkbox", "Option");
    agreeImprovement_ = Find<toolkit::OptionUI>(*this, "agree_improvement_checkbox", "Option");
    setLayout_ = Find<toolkit::TabLayoutUI>(*this, "set_layout", "TabLayout");
    pageLayout_ = Find<toolkit::TabLayoutUI>(*this, "page_layout", "TabLayout");
    installBtn_ = FindControl("install_btn");
    licenseText_ = FindControl("license_text");
    licenseTextLayout_ = FindControl("license_text_layout");
    languageCombo_ = Find<toolkit::ComboUI>(*this, "language_combox", "Combo");
    textFailAdvice_ = FindControl("text_fail_advice");
    textStartShortcut_ = FindControl("text_startshortcut");
    startApp_ = FindControl("start_app");
    retryBtn_ = FindControl("retry_btn");
    backgroundLayout_ = FindControl("backgroudlayout");
    horBanner_ = Find<toolkit::ContainerUI>(*this, "hor_banner", "Container");
    layoutInstallOk_ = FindControl("layout_install_ok");
    layoutInstallFail_ = FindControl("layout_install_fail");
    horOption_ = Find<toolkit::ContainerUI>(*this, "hor_option", "Container");

    if (toolkit::Control* extra = FindControl("extra_text")) extra->SetText("");
    if (licenseCheckbox_) {
        if (FuntionImpl::AutoRun())
            licenseCheckbox_->Selected(true, true);
        else
            licenseCheckbox_->Selected(CConfigure::Instance().ChooseLicense, true);
    }
    if (horOption_)
        for (int i = horOption_->GetCount() - 1; i >= bannerCount_; --i) horOption_->RemoveAt(i);
    const std::wstring proposal = GetDefaultPath();
    if (!proposal.empty() && pathEdit_) pathEdit_->SetText(Utf16ToUtf8(proposal));
    const std::vector<std::wstring> offered = CConfigure::Instance().GetLanguage_str();
    if (languageCombo_ && !offered.empty()) {
        for (int i = languageCombo_->GetCount() - 1; i >= 0; --i) {
            const toolkit::Control* item = languageCombo_->GetItemAt(i);
            const std::wstring code = Utf8ToUtf16(item ? item->GetUserData() : std::string());
            if (std::find(offered.begin(), offered.end(), code) == offered.end())
                languageCombo_->RemoveAt(i);
        }
    }
    SelectCurrentLanguage();
    CVD_LOG << "end init load controls";
}

void InstallUIMainWnd::SelectCurrentLanguage() {
    CConfigure& config = CConfigure::Instance();
    const int wanted = config.GetLanguageIndex();
    int chosen = -1;
    if (languageCombo_) {
        for (int i = languageCombo_->GetCount() - 1; i >= 0 && chosen < 0; --i) {
            const toolkit::Control* item = languageCombo_->GetItemAt(i);
            if (item && LanguageIndexOfCode(item->GetUserData()) == wanted) chosen = i;
        }
    }
    int index = wanted;
    if (chosen < 0 && languageCombo_ && languageCombo_->GetCount() > 0) {
        chosen = 0;
        index = LanguageIndexOfCode(languageCombo_->GetItemAt(0)->GetUserData());
    }
    if (languageCombo_ && chosen >= 0) languageCombo_->SelectItem(chosen, false);
    ApplyLanguage(index);
}

void InstallUIMainWnd::ApplyLanguage(int index) {
    CConfigure& config = CConfigure::Instance();
    config.SetLanguageIndex(index);
    language::ApplyOptions options;
    options.showExtraText = config.IsExtraTextDownloader();
    if (auto format = language::ApplyLanguage(Manager(), index, options))
        progressTemplate_ = *format;
    // The progress line is shown in the new language at once.
    if (progress_ && mainTab_ && mainTab_->GetCurSel() == 1 && progress_->GetValue() > 0)
        SetInstallProgress(progress_->GetValue());
}

// ---- geometry -------------------------------------------------------------------------------

void InstallUIMainWnd::AdjustWindowHeight(int height) {
    if (height == -1) height = kFullHeight;
    if (installSetting_ && !installSetting_->IsSelected()) height -= kFoldedBy;
    ResizeClient({ClientSize().cx > 0 ? ClientSize().cx : Manager().Window().size.cx, height});
}

// Blur-behind of the settings drawer: a desktop composition effect with no equivalent here.
void InstallUIMainWnd::SetWindowComposition(bool) {}

// ---- notifications --------------------------------------------------------------------------

void InstallUIMainWnd::Notify(toolkit::NotifyMsg& msg) {
    if (msg.type == "link" && msg.sender) {
        if (msg.sender == licenseLink_)
            OnLicenseLink(static_cast<int>(msg.wParam));
        else if (msg.sender == textFailAdvice_)
            OnAdviceLink();
    }
    WindowBase::Notify(msg);
}

void InstallUIMainWnd::OnSelectChange(toolkit::NotifyMsg& msg) {
    toolkit::Control* sender = msg.sender;
    if (!sender) return;
    if (sender == licenseCheckbox_) {
        const bool on = licenseCheckbox_->IsSelected();
        if (on) UserLog().AddUserLog_funnel("StartDownloader", "PrivacyAgreement", {});
        CVD_LOG << "change license box " << (on ? 1 : 0);
        return;
    }
    auto* option = sender->As<toolkit::OptionUI>("Option");
    if (option && option->GetGroup() == kDotGroup) {
        if (!carousel_ || carousel_->IsSliding()) return;
        if (option->IsSelected()) {
            if (horOption_) carousel_->SlideTo(horOption_->GetItemIndex(option));
        } else {
            KillTimer(kBannerTimer);
            SetTimer(kBannerTimer, bannerInterval_);
        }
        return;
    }
    if (sender == installSetting_) {
        CVD_LOG << "show setting option";
        if (setLayout_) {
            AdjustWindowHeight(-1);
            SetWindowComposition(setLayout_->GetCurSel() == 1);
        }
    }
}

void InstallUIMainWnd::OnItemSelect(toolkit::NotifyMsg& msg) {
    if (!languageCombo_ || msg.sender != languageCombo_) return;
    const toolkit::Control* item = languageCombo_->GetItemAt(languageCombo_->GetCurSel());
    const std::string code = item ? item->GetUserData() : std::string();
    CVD_LOG << "change langauge to :" << code;
    ApplyLanguage(LanguageIndexOfCode(code));
}

std::int32_t InstallUIMainWnd::ShowMessageBox(std::int32_t kind, bool owned) {
    CVD_LOG << " ShowMsgBox: " << kind;
    return ::ShowMessageBox(static_cast<EnumMsgType>(kind),
                            CConfigure::Instance().GetLanguageIndex(), owned ? this : nullptr);
}

// ---- closing --------------------------------------------------------------------------------

void InstallUIMainWnd::OnExit() {
    CVD_LOG << "on exit";
    if (resultState_ == kResultShown) {
        ShowWindow(false);
        RequestClose();
        return;
    }
    if (ShowMessageBox(resultState_, true) == kMsgBoxNo &&
        (resultState_ == kResultShown || resultState_ == kNoResult))
        RequestClose();
}

std::string InstallUIMainWnd::ClosePosition() const {
    if (!mainTab_ || !pageLayout_) return {};
    const int main = mainTab_->GetCurSel(), page = pageLayout_->GetCurSel();
    if (main == 0 && page == 0) return "close01";
    if (main == 1 && progress_) {
        const int value = progress_->GetValue();
        if (value <= 64) return "close02";
        if (value < 70) return "close04";
        return "close03";
    }
    if (main == 0 && page == 1) {
        if (layoutInstallFail_ && layoutInstallFail_->IsVisible()) return "close05";
        return productStarted_ ? "close07" : "close06";
    }
    return {};
}

bool InstallUIMainWnd::OnClose() {
    CVD_LOG << "OnClose()...";
    const std::string reason = ClosePosition();
    UserLog().AddUserLog("CrashRate", "Close", reason);
    UserLog().AddUserLog_funnel("CloseDownloader", "Close", "ClosePosition", reason);
    if (onClosed_)
        onClosed_();
    else
        toolkit::QuitMessageLoop(0);
    return true;
}
