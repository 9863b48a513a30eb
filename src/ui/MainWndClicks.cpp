// InstallUIMainWnd: what the user's clicks, links and keys do.
#include <algorithm>

#include "config/CConfigure.h"
#include "config/LanguageTables.h"
#include "content/ContentThreads.h"
#include "platform/CrashHandler.h"
#include "platform/Paths.h"
#include "platform/Thread.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/OsFacts.h"
#include "sys/TextConvert.h"
#include "toolkit/Button.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MainWndShared.h"
#include "ui/ShellOpen.h"

using FuntionImpl::Utf16ToUtf8;
using FuntionImpl::Utf8ToUtf16;
using ui::mainwnd::kFolderName;
using ui::mainwnd::UserLog;

namespace {

int SelectedItem(const toolkit::TabLayoutUI* tab) { return tab ? tab->GetCurSel() : -1; }

}  // namespace

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

void InstallUIMainWnd::OnAutoInstallTimer() {
    KillTimer(kAutoInstallTimer);
    ClickControl("install_btn");
}
