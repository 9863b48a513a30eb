// The installer's own modal message box: one window class for sixteen kinds of message. The kind
// picks the texts (from the `message_page` section of a language file), the buttons shown and
// what the buttons do to the owner window. A box answers 1 (yes, confirm, continue) or 2 (no,
// cancel, close).
//
// Threading: UI thread only. A worker that must show a box goes through ShowMessageBox, which
// runs it on the UI thread and waits.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/WindowBase.h"

enum EnumMsgType : int {
    MSG_REPLACE_INSTALLED = 0,
    MSG_NO_TEXTS = 1,
    MSG_CANCEL_INSTALL = 2,
    MSG_APP_RUNNING = 3,
    MSG_PATH_ERROR = 4,
    MSG_DOWN_LAYOUT = 5,
    MSG_INSTALL_TIMEOUT = 6,
    MSG_MD5_FAIL = 7,
    MSG_URL_FAIL = 8,
    MSG_INTERNET_FAIL = 9,
    MSG_INTERNET_TIMEOUT = 10,
    MSG_NO_ENOUGH_SPACE = 11,
    MSG_CLICK_SHORTCUT = 12,
    MSG_NOT_SUPPORT_SYSTEM = 13,
    MSG_NOT_SUPPORT_COUNTRY = 14,
    MSG_AGREE_LICENSE = 15,
    MSG_KIND_COUNT
};

inline constexpr int kMsgBoxYes = 1;
inline constexpr int kMsgBoxNo = 2;

class MessageBoxWnd : public toolkit::WindowBase {
public:
    static constexpr int kAutoConfirmTimer = 777;
    static constexpr unsigned kAutoConfirmMs = 1000;

    MessageBoxWnd(EnumMsgType kind, std::int32_t languageIndex);
    ~MessageBoxWnd() override;

    // Creates the box, brings a minimised owner back, centres the box over the owner (on the
    // screen without one) and runs it modally. 1 or 2; -1 when there is no display.
    int ShowModalBox(toolkit::WindowBase* owner);

    EnumMsgType Kind() const { return kind_; }
    // The box on screen now (the most recently opened one), or nullptr. Lets a caller without the
    // box's address (a test, an automation) answer it.
    static MessageBoxWnd* Topmost();
    // Acts as a click on the named button ("btn_yes", "btn_no", "closebtn", "minbtn").
    void Press(const std::string& button);

    // "**1**" -> free, "**2**" -> needed, each in whole MiB followed by "MB".
    static std::string FillSpaceText(std::string text, std::int64_t freeBytes,
                                     std::int64_t neededBytes);

protected:
    std::string GetWindowClassName() const override { return "MESSAGEBOX_UI_Frame"; }
    std::string GetSkinFile() override;
    void InitWindow() override;
    void OnClick(toolkit::NotifyMsg& msg) override;
    void Notify(toolkit::NotifyMsg& msg) override;
    bool OnTimer(int id) override;
    bool OnEnterKey() override;
    bool OnEscapeKey() override;
    bool OnClose() override;

private:
    void LoadTexts();
    void OnLink(int link);
    void Finish(int result);

    EnumMsgType kind_;
    std::int32_t languageIndex_;
    toolkit::WindowBase* owner_ = nullptr;
    bool finished_ = false;
};

// Shows a box of `kind` in `languageIndex` owned by `owner` (nullptr: no owner, for the start-up
// refusals before any window exists) and returns its answer. From a worker thread the box runs on
// the UI thread and the call waits for it.
int ShowMessageBox(EnumMsgType kind, std::int32_t languageIndex, toolkit::WindowBase* owner);
