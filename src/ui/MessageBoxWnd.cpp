#include "ui/MessageBoxWnd.h"

#include <array>
#include <vector>

#include "config/CConfigure.h"
#include "config/LanguageTables.h"
#include "install/InstallWindow.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "toolkit/Shell.h"
#include "ui/LanguageFiles.h"
#include "ui/ShellOpen.h"

namespace {

// The texts of each kind (message_page keys; nullptr leaves the text empty) and whether the
// "no" button stays on screen.
struct KindTexts {
    const char* describe;
    const char* question;
    const char* yes;
    const char* no;
    bool noButton;
};

constexpr std::array<KindTexts, MSG_KIND_COUNT> kKinds = {{
    {"ReplaceDesText", "ReplaceQueText", "ReplaceText", "CancelText", true},
    {nullptr, nullptr, nullptr, nullptr, true},
    {"CancelDesText", "CancelQueText", "ContinueText", "CancelText", true},
    {"AppExistDesText", "AppExistQueText", "OkButtonText", "NoText", false},
    {"PathErrorDesText", nullptr, "OkButtonText", nullptr, false},
    {nullptr, nullptr, nullptr, nullptr, false},
    {"InstallRunTimeOutDesText", "InstallRunTimeOutQueText", "ConfirmText", "CancelText", false},
    {"MD5FailDesText", "MD5FailQueText", "ConfirmText", "CancelText", false},
    {"UrlFailDexText", "UrlFailQueText", "ConfirmText", "CancelText", false},
    {"InternetFailDesText", "InternetFailQueText", "ConfirmText", "CancelText", false},
    {"InternetTimeoutDesText", "InternetTimeoutQueText", "ConfirmText", "CancelText", false},
    {"NoEnoughSpaceDesText", nullptr, "OkButtonText", nullptr, false},
    {"ClickShortcutToLaunchText", nullptr, "ConfirmText", nullptr, false},
    {"NotSupportSystemDesText", nullptr, "OkButtonText", nullptr, false},
    {"NotSupportCountryText", nullptr, "ConfirmText", nullptr, false},
    {"AgreeDesText", nullptr, "AgreeInstallText", "NotAgreeText", true},
}};

std::vector<MessageBoxWnd*>& OpenBoxes() {
    static std::vector<MessageBoxWnd*> boxes;
    return boxes;
}

bool ClearsDownload(EnumMsgType kind) {
    return kind == MSG_INSTALL_TIMEOUT || kind == MSG_MD5_FAIL;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

MessageBoxWnd::MessageBoxWnd(EnumMsgType kind, std::int32_t languageIndex)
    : kind_(kind), languageIndex_(languageIndex) {}

MessageBoxWnd::~MessageBoxWnd() {
    auto& boxes = OpenBoxes();
    std::erase(boxes, this);
}

MessageBoxWnd* MessageBoxWnd::Topmost() {
    auto& boxes = OpenBoxes();
    return boxes.empty() ? nullptr : boxes.back();
}

std::string MessageBoxWnd::GetSkinFile() {
    return kind_ == MSG_DOWN_LAYOUT ? "MessageBox_down.xml" : "MessageBox.xml";
}

std::string MessageBoxWnd::FillSpaceText(std::string text, std::int64_t freeBytes,
                                         std::int64_t neededBytes) {
    ReplaceAll(text, "**1**", std::to_string(freeBytes / 1048576) + "MB");
    ReplaceAll(text, "**2**", std::to_string(neededBytes / 1048576) + "MB");
    return text;
}

int MessageBoxWnd::ShowModalBox(toolkit::WindowBase* owner) {
    owner_ = owner;
    if (!Create(owner, "MSGUIDemo")) return -1;
    if (owner && owner->IsCreated()) owner->Restore();
    OpenBoxes().push_back(this);
    const int result = ShowModal();
    std::erase(OpenBoxes(), this);
    return result;
}

bool MessageBoxWnd::OnClose() {
    if (finished_) return true;
    // Closed by the window frame or Alt+F4: what the close button does, side effects included.
    // The button closes the box itself, with its answer; this close request is spent.
    Press("closebtn");
    return false;
}

void MessageBoxWnd::InitWindow() {
    CVD_LOG << " Error Msg Box Tip: " << static_cast<int>(kind_);
    // A box may come before any main window (the start-up gates), so it reads its own direction.
    Manager().SetRightToLeft(language::IsRightToLeft(languageIndex_));
    if (kind_ != MSG_DOWN_LAYOUT) LoadTexts();
    toolkit::Control* no = FindControl("btn_no");
    if (FuntionImpl::AutoRun() && !(no && no->IsVisible()))
        SetTimer(kAutoConfirmTimer, kAutoConfirmMs);
}

void MessageBoxWnd::LoadTexts() {
    const auto section = language::ReadSection(languageIndex_, language::kMessagePage);
    if (!section) return;
    const KindTexts& row = kKinds[static_cast<std::size_t>(kind_)];
    if (!row.describe && !row.yes) return;  // no texts of its own: the layout's stay
    auto text = [&](const char* key) {
        if (!key) return std::string();
        for (const auto& [name, value] : *section)
            if (name == key) return value;
        return std::string();
    };
    std::string describe = text(row.describe);
    if (kind_ == MSG_CANCEL_INSTALL)
        if (toolkit::Control* icon = FindControl("iconimage")) icon->SetVisible(false);
    if (kind_ == MSG_NO_ENOUGH_SPACE) {
        const CConfigure& config = CConfigure::Instance();
        describe = FillSpaceText(describe, config.GetSpaceFree(), config.GetSpaceNeeded());
    }
    if (!row.noButton)
        if (toolkit::Control* no = FindControl("btn_no")) no->SetVisible(false);
    const std::pair<const char*, std::string> fields[] = {
        {"btn_yes", text(row.yes)},
        {"btn_no", kind_ == MSG_NO_ENOUGH_SPACE ? std::string() : text(row.no)},
        {"msg_describe", describe},
        {"msg_question", kind_ == MSG_NO_ENOUGH_SPACE ? std::string() : text(row.question)},
    };
    for (const auto& [name, value] : fields)
        if (toolkit::Control* c = FindControl(name)) c->SetText(value);
}

bool MessageBoxWnd::OnTimer(int id) {
    if (id != kAutoConfirmTimer) return false;
    KillTimer(kAutoConfirmTimer);
    Press("btn_yes");
    return true;
}

void MessageBoxWnd::Notify(toolkit::NotifyMsg& msg) {
    if (msg.type == "link") {
        OnLink(static_cast<int>(msg.wParam));
        return;
    }
    WindowBase::Notify(msg);
}

void MessageBoxWnd::OnClick(toolkit::NotifyMsg& msg) {
    if (msg.sender) Press(msg.sender->GetName());
}

bool MessageBoxWnd::OnEnterKey() {
    Press("btn_yes");
    return true;
}

bool MessageBoxWnd::OnEscapeKey() {
    Press("closebtn");
    return true;
}

void MessageBoxWnd::Press(const std::string& button) {
    if (finished_) return;
    if (button == "minbtn") {
        Minimize();
        return;
    }
    auto hideWithOwner = [this] {
        ShowWindow(false);
        if (owner_) owner_->ShowWindow(false);
    };
    auto clearDownload = [this] {
        if (owner_) owner_->PostWindowMessage(WM_INSTALL_MSGBOX_CLEAR, 0, 0);
    };
    if (button == "btn_yes") {
        if (kind_ == MSG_NO_TEXTS) hideWithOwner();
        if (ClearsDownload(kind_)) clearDownload();
        Finish(kMsgBoxYes);
    } else if (button == "btn_no") {
        if (kind_ == MSG_CANCEL_INSTALL) hideWithOwner();
        Finish(kMsgBoxNo);
    } else if (button == "closebtn") {
        if (ClearsDownload(kind_)) clearDownload();
        // Closing the cancel question means carrying on.
        Finish(kind_ == MSG_CANCEL_INSTALL ? kMsgBoxYes : kMsgBoxNo);
    }
}

void MessageBoxWnd::Finish(int result) {
    finished_ = true;
    Close(result);
}

void MessageBoxWnd::OnLink(int link) {
    if (kind_ != MSG_AGREE_LICENSE || (link != 0 && link != 1)) return;
    const CConfigure& config = CConfigure::Instance();
    const std::string key = LanguageCodeOf(config.GetLanguageIndex());
    const std::string url = FuntionImpl::Utf16ToUtf8(link == 0 ? config.GetPrivacyLink(key)
                                                               : config.GetLicenseLink(key));
    CVD_LOG << (link == 0 ? "msgbox Open Privacy Url: " : "msgbox Open License Url: ") << url;
    if (!url.empty()) ui::OpenInShell(url);
}

int ShowMessageBox(EnumMsgType kind, std::int32_t languageIndex, toolkit::WindowBase* owner) {
    return toolkit::InvokeOnUiThread([&] {
        MessageBoxWnd box(kind, languageIndex);
        return box.ShowModalBox(owner);
    });
}
