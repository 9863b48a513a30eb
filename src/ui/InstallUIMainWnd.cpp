#include "ui/InstallUIMainWnd.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "config/CConfigure.h"
#include "config/LanguageTables.h"
#include "content/BannerContent.h"
#include "content/ContentThreads.h"
#include "platform/Clock.h"
#include "platform/CrashHandler.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/Thread.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/NetworkUtils.h"
#include "sys/OsFacts.h"
#include "sys/RegistryUtils.h"
#include "sys/TextConvert.h"
#include "sys/VersionInfo.h"
#include "telemetry/SingleUserLog.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/Shell.h"
#include "ui/CProgressExUI.h"
#include "ui/LanguageFiles.h"
#include "ui/PortMessageTarget.h"
#include "ui/ProgressLine.h"
#include "ui/ShellOpen.h"

using FuntionImpl::Utf16ToUtf8;
using FuntionImpl::Utf8ToUtf16;

namespace {

constexpr int kFullHeight = 571;
constexpr unsigned kShortestTimerMs = 10;
constexpr int kFoldedBy = 200;
constexpr const wchar_t* kFolderName = L"Zorvik";
constexpr const wchar_t* kMachineKey = L"SOFTWARE\\Corvantis\\Downloader2.5.0";
constexpr const char* kDotGroup = "image_play_option";

CSingleUserLog& UserLog() { return CSingleUserLog::Instance(); }

template <class T>
T* Find(toolkit::WindowBase& window, const char* name, const char* iface) {
    toolkit::Control* c = window.FindControl(name);
    return c ? c->As<T>(iface) : nullptr;
}

int SelectedItem(const toolkit::TabLayoutUI* tab) { return tab ? tab->GetCurSel() : -1; }

bool IsExeUrl(const std::wstring& url) {
    return url.size() >= 4 && url.compare(url.size() - 4, 4, L".exe") == 0;
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

void InstallUIMainWnd::RequestClose() { PostMessage(toolkit::kMsgClose); }

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
            << (FuntionImpl::Is64BitSystem() ? "True" : "False") << " " << getpid();
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

int InstallUIMainWnd::GetAnimaCount() {
    CVD_LOG << "start get banner count";
    int count = 0;
    char path[32];
    for (int n = 1;; ++n) {
        std::snprintf(path, sizeof path, "skin\\anima\\%d.png", n);
        if (!Manager().GetImage(path)) break;
        count = n;
    }
    return count;
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

void InstallUIMainWnd::OnClick(toolkit::NotifyMsg& msg) {
    if (msg.sender) ClickControl(msg.sender->GetName());
}

void InstallUIMainWnd::ClickControl(const std::string& name) {
    struct Click {
        const char* log;
        void (InstallUIMainWnd::*action)();
    };
    static const std::map<std::string, Click, std::less<>> clicks = {
        {"closebtn", {" Click close button", &InstallUIMainWnd::OnExit}},
        {"minbtn", {" Click minisize button", &InstallUIMainWnd::Minimize}},
        {"install_minbtn", {" Click install_minbtn button", &InstallUIMainWnd::Minimize}},
        {"install_closebtn", {" Click install_closebtn button", &InstallUIMainWnd::OnExit}},
        {"install_btn", {" Click install button", &InstallUIMainWnd::OnInstallClick}},
        {"finish_btn", {nullptr, &InstallUIMainWnd::RequestClose}},
        {"browser_btn", {" Click brower folder button", nullptr}},
        {"cancel_btn", {nullptr, &InstallUIMainWnd::OnExit}},
        {"retry_btn", {" User click try again button to retry", &InstallUIMainWnd::OnRetryClick}},
        {"start_app", {" click to run app", &InstallUIMainWnd::OnStartClick}},
    };
    const auto found = clicks.find(name);
    if (found == clicks.end()) return;
    if (found->second.log) CVD_LOG << found->second.log;
    if (name == "browser_btn")
        OpenBrowerDialog();
    else
        (this->*found->second.action)();
}

bool InstallUIMainWnd::OnEnterKey() {
    if (!installBtn_ || !installBtn_->IsVisible() || !installBtn_->IsEnabled() || !mainTab_ ||
        mainTab_->GetCurSel() != 0 || SelectedItem(pageLayout_) != 0)
        return false;
    ClickControl("install_btn");
    return true;
}

bool InstallUIMainWnd::OnEscapeKey() {
    ClickControl(mainTab_ && mainTab_->GetCurSel() == 1 ? "install_closebtn" : "closebtn");
    return true;
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

// ---- clicks ---------------------------------------------------------------------------------

std::wstring InstallUIMainWnd::FinalInstallPath(std::wstring typed,
                                                const std::wstring& softwareName) {
    // Folders are written with this system's separator whichever the user typed.
    std::replace(typed.begin(), typed.end(), L'\\', L'/');
    if (typed.find(softwareName) != std::wstring::npos) return typed;
    if (!typed.empty() && typed.back() != L'/') typed += L'/';
    return typed + softwareName;
}

std::wstring InstallUIMainWnd::BrowsedFolder(const std::wstring& chosen) {
    if (chosen.find(kFolderName) != std::wstring::npos) return chosen;
    std::wstring path = chosen;
    if (path.empty() || path.back() != L'/') path += L'/';
    return path + kFolderName;
}

void InstallUIMainWnd::OnInstallClick() {
    if (FuntionImpl::CrashTest()) platform::TriggerCrashForTest();
    UserLog().AddUserLog("Download", "2.DownStart", "");
    UserLog().AddUserLog_funnel("StartDownloader", "ClickToInstall", {});
    if (licenseCheckbox_ && !licenseCheckbox_->IsSelected()) {
        if (ShowMessageBox(MSG_AGREE_LICENSE, true) != kMsgBoxYes) {
            CVD_LOG << "not agree Privacy Policy and User License Agreement";
            UserLog().AddUserLog_funnel("StartDownloader", "PrivacyAgreementPopup",
                                        "PrivacyAgreementPopupType", "Disagree");
            return;
        }
        UserLog().AddUserLog_funnel("StartDownloader", "PrivacyAgreementPopup",
                                    "PrivacyAgreementPopupType", "Agree and install");
        licenseCheckbox_->Selected(true, false);
    }
    CConfigure& config = CConfigure::Instance();
    const auto names = LanguageNameMap();
    const auto name = names.find(config.GetLanguageIndex());
    const std::string languageName = name != names.end() ? name->second : std::string();
    UserLog().AddUserLog("Other", "SetLanguage", languageName);
    UserLog().AddUserLog_funnel("Download", "SetLanguage", "SetLanguageType", languageName);

    const std::wstring typed = pathEdit_ ? Utf8ToUtf16(pathEdit_->GetText()) : std::wstring();
    if (typed != GetDefaultPath()) {
        UserLog().AddUserLog("Other", "SetPath", "");
        UserLog().AddUserLog_funnel("Download", "SetPath", {});
    }
    CVD_LOG << "BeginInstallTask  final Language is: " << languageName
            << " final install path: " << Utf16ToUtf8(typed);
    const std::wstring final = FinalInstallPath(typed, config.GetSoftware_name());
    CVD_LOG << "click curinstallpath:" << Utf16ToUtf8(final)
            << "  last path:" << Utf16ToUtf8(typed);
    SetInstallPath(final);

    if (!startTimeSent_) {
        startTimeSent_ = true;
        const std::string now = FuntionImpl::GetChinaTime();
        const std::string date = now.substr(0, 10);
        const std::string hour = now.size() >= 13 ? now.substr(11, 2) : std::string();
        UserLog().AddUserLog("Download", "StartTimeDate", date);
        UserLog().AddUserLog("Download", "StartTimeHour", hour);
        UserLog().AddUserLog_funnel("Download", "StartTime",
                                    {{"StartTimeDate", date}, {"StartTimeHour", hour}});
    }
    if (tasks_) tasks_->BeginInstallTask(*this);
}

std::string InstallUIMainWnd::RetryLabel() const {
    return CConfigure::Instance().UserRetried ? "Retry" : "First";
}

void InstallUIMainWnd::OnRetryClick() {
    const std::string label = RetryLabel();
    UserLog().AddUserLog("Download", "8-1.ClickTryAgain", label);
    UserLog().AddUserLog_funnel("DownFail", "ClickTryAgain", "ClickTryAgainType", label);
    CConfigure& config = CConfigure::Instance();
    config.UserRetried = true;
    if (config.IsToolkit && config.SubProgramCount() == 0 && startContentThreads_)
        if (auto thread = platform::Thread::Start([] { content::GetSubProgramInfoThreadFunc(); }))
            config.AddWorkerThread(thread);
    if (tasks_) tasks_->BeginInstallTask(*this);
}

void InstallUIMainWnd::OnStartClick() {
    CConfigure& config = CConfigure::Instance();
    if (IsExeUrl(config.GetDownload_url())) {
        UserLog().AddUserLog("Download", "7.ProgramLaunch", "", config.Gif_duration == 0);
        UserLog().AddUserLog_funnel(
            "Launch", "ProgramLaunch", "ProgramLaunchType",
            config.NeedStart_flag == 1 ? "ProgramLaunchAutomatic" : "ProgramLaunchManual");
        if (tasks_) tasks_->RunStartApp(*this);
        return;
    }
    CVD_LOG << " show the apk file";
    ui::OpenInShell(Utf16ToUtf8(config.GetWorkDirectory() + config.GetPackageFileName()));
}

void InstallUIMainWnd::OpenLink(const char* logText, const std::wstring& url) {
    const std::string text = Utf16ToUtf8(url);
    CVD_LOG << logText << text;
    if (!text.empty()) ui::OpenInShell(text);
}

void InstallUIMainWnd::OnLicenseLink(int link) {
    const CConfigure& config = CConfigure::Instance();
    const std::string key = LanguageCodeOf(config.GetLanguageIndex());
    if (link == 0)
        OpenLink(" Open Privacy Url: ", config.GetPrivacyLink(key));
    else if (link == 1)
        OpenLink(" Open License Url: ", config.GetLicenseLink(key));
}

void InstallUIMainWnd::OnAdviceLink() {
    const std::string label = RetryLabel();
    UserLog().AddUserLog("Download", "8-2.ClickInstallLink", label);
    UserLog().AddUserLog_funnel("DownFail", "ClickInstallLink", "ClickInstallLinkType", label);
    std::wstring url = CConfigure::Instance().CurrentDownloadUrl();
    if (url.empty()) return;
    const std::wstring module = platform::ModulePath();
    const std::wstring name = module.substr(module.find_last_of(L'/') + 1);
    const std::size_t underscore = name.rfind(L'_');
    if (underscore != std::wstring::npos) {
        const std::size_t dot = name.rfind(L'.');
        // A name without an extension carries its tag to the end.
        const std::size_t end = dot == std::wstring::npos || dot < underscore ? name.size() : dot;
        url +=
            L"?rnclid=" + name.substr(underscore + 1, end - underscore - 1) + L"&package=" + name;
    }
    OpenLink(" Open Advice Url: ", url);
}

int InstallUIMainWnd::OpenBrowerDialog() {
    toolkit::Control* browse = FindControl("browser_btn");
    const std::optional<std::string> chosen =
        toolkit::ChooseFolder(browse ? browse->GetText() : std::string());
    if (!chosen) return -1;
    const std::wstring path = BrowsedFolder(Utf8ToUtf16(*chosen));
    CVD_LOG << "Browse choose folder path: " << Utf16ToUtf8(path);
    if (pathEdit_) pathEdit_->SetText(Utf16ToUtf8(path));
    return 0;
}

std::int32_t InstallUIMainWnd::ShowMessageBox(std::int32_t kind, bool owned) {
    CVD_LOG << " ShowMsgBox: " << kind;
    return ::ShowMessageBox(static_cast<EnumMsgType>(kind),
                            CConfigure::Instance().GetLanguageIndex(), owned ? this : nullptr);
}

// ---- pages ----------------------------------------------------------------------------------

void InstallUIMainWnd::ShowRunningPage() {
    if (mainTab_) mainTab_->SelectItem(1);
    SetInstallProgress(0);
    if (installSetting_) installSetting_->Selected(false, false);
    AdjustWindowHeight(560);
    if (layoutInstallOk_) layoutInstallOk_->SetVisible(true);
    if (layoutInstallFail_) layoutInstallFail_->SetVisible(false);
    CVD_LOG << "begin banner play";
    BeginBannerPlay();
}

void InstallUIMainWnd::BeginBannerPlay() {
    if (!carousel_) {
        carousel_ = std::make_unique<CAnimaEx>(this, horBanner_, horOption_);
        carousel_->SlideTo(0);
    }
    SetTimer(kBannerTimer, bannerInterval_);
}

std::string InstallUIMainWnd::GetSlideFontFace() {
    switch (CConfigure::Instance().GetLanguageIndex()) {
        case 1:
            return "Meiryo UI";
        case 11:
            return "batang";
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
            return "Times New Roman";
        default:
            return "Microsoft YaHei";
    }
}

std::string InstallUIMainWnd::GetBannerPicture(int key) {
    BannerRecord banner;
    if (!CConfigure::Instance().GetBanner(key, banner)) return {};
    return Utf16ToUtf8(banner.picture_path);
}

int InstallUIMainWnd::ProgressValue() const { return progress_ ? progress_->GetValue() : 0; }

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
        if (SetTimer(kHoldTextTimer, 1000)) waitTextCounter_ = 0;
        return;
    }
    if (percent >= 1) KillTimer(kWaitTextTimer);
    if (percent >= 100) KillTimer(kHoldTextTimer);
    installLabel_->SetText(ui::FormatProgressLine(progressTemplate_, percent));
    progress_->SetValue(percent);
}

void InstallUIMainWnd::ShowResultView() {
    if (mainTab_) mainTab_->SelectItem(0);
    if (pageLayout_) pageLayout_->SelectItem(1);
    resultState_ = kResultShown;
}

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

// ---- messages of the install thread ---------------------------------------------------------

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

void InstallUIMainWnd::OnNotExeDone(std::intptr_t) {
    SetInstallProgress(100);
    KillTimer(kBannerTimer);
    ShowResultView();
}

void InstallUIMainWnd::OnVerifying(std::intptr_t) {
    SetInstallProgress(65);
    SetTimer(kVerifyTimer, 2000);
}

unsigned InstallUIMainWnd::PacingInterval(std::int64_t packageSize) {
    if (packageSize <= 0) return 0;
    return static_cast<unsigned>(((packageSize / 71680) / 10) * 4);
}

void InstallUIMainWnd::OnRunning(std::intptr_t) {
    KillTimer(kVerifyTimer);
    SetInstallProgress(70);
    // A small package paces at the shortest timer period, not with a timer that never sleeps.
    SetTimer(kInstallTimer,
             std::max(PacingInterval(CConfigure::Instance().GetPackageSize()), kShortestTimerMs));
}

void InstallUIMainWnd::OnTimeout(std::intptr_t) {
    KillTimer(kHoldTextTimer);
    KillTimer(kInstallTimer);
    UserLog().AddUserLog_funnel("DownFail", "DownFailReason", "DownFailError", "error_page_3");
    ShowMessageBox(MSG_INSTALL_TIMEOUT, true);
    ShowFailureView();
}

void InstallUIMainWnd::OnSucceeded(std::intptr_t) {
    SetInstallProgress(100);
    KillTimer(kBannerTimer);
    ShowResultView();
    if (startApp_) startApp_->SetVisible(true);
    if (textStartShortcut_) textStartShortcut_->SetVisible(false);
    if (FuntionImpl::AutoRun() || CConfigure::Instance().NeedStart_flag == 1) {
        CVD_LOG << "after install auto start";
        PostMessage(WM_INSTALL_AUTOSTART);
    }
}

void InstallUIMainWnd::OnSignatureFail(std::intptr_t) {
    KillTimer(kVerifyTimer);
    UserLog().AddUserLog_funnel("DownFail", "DownFailReason", "DownFailError", "error_page_4");
    ShowMessageBox(MSG_MD5_FAIL, true);
    ShowFailureView();
}

void InstallUIMainWnd::OnProgress(std::intptr_t percent) {
    if (progress_ && progress_->GetValue() < percent) SetInstallProgress(static_cast<int>(percent));
}

void InstallUIMainWnd::OnAutoStart(std::intptr_t) { ClickControl("start_app"); }

void InstallUIMainWnd::OnBannerReady(std::intptr_t) {
    bannerReady_ = true;
    if (carousel_) carousel_->RefreshBanners();
}

void InstallUIMainWnd::OnRecheckPath(std::intptr_t) {
    if (tasks_ && tasks_->IsCorrectInstallPath(*this)) CConfigure::Instance().SetInstallState(1);
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

// ---- timers ---------------------------------------------------------------------------------

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

void InstallUIMainWnd::OnAutoInstallTimer() {
    KillTimer(kAutoInstallTimer);
    ClickControl("install_btn");
}

void InstallUIMainWnd::OnAutoRetryTimer() {
    KillTimer(kAutoRetryTimer);
    ClickControl("retry_btn");
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
        return;
    }
    KillTimer(kInstallTimer);
    if (next < 100)
        SetTimer(kRunUpTimer, 100);
    else
        PostMessage(WM_INSTALL_SUCCEEDED);
}

void InstallUIMainWnd::OnRunUpTimer() {
    const int next = ProgressValue() + 1;
    if (next < 101) {
        SetInstallProgress(next);
        return;
    }
    KillTimer(kRunUpTimer);
    PostMessage(WM_INSTALL_SUCCEEDED);
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

void InstallUIMainWnd::OnBannerTimer() {
    if (carousel_) carousel_->SlideNext();
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
