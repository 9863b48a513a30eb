// The sixteen kinds of message box under Xvfb: texts, buttons, answers and what they do to the
// owner.
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "ui/LanguageFiles.h"
#include "ui/MessageBoxWnd.h"

namespace {

using uitest::BoxAnswerer;

struct Seen {
    std::string describe, question, yes, no;
    bool noVisible = false;
    bool iconVisible = false;
};

Seen Look(MessageBoxWnd& box) {
    auto text = [&](const char* name) {
        toolkit::Control* c = box.FindControl(name);
        return c ? c->GetText() : std::string("<missing>");
    };
    toolkit::Control* no = box.FindControl("btn_no");
    toolkit::Control* icon = box.FindControl("iconimage");
    return {text("msg_describe"), text("msg_question"),  text("btn_yes"),
            text("btn_no"),       no && no->IsVisible(), icon && icon->IsVisible()};
}

class MessageBoxes : public uitest::WindowTest {
protected:
    // Shows a box of `kind` (owned by `owner`), answers it with `button`; the answer and what
    // the box showed.
    std::pair<int, Seen> Show(int kind, const std::string& button, int language = 0,
                              toolkit::WindowBase* owner = nullptr) {
        Seen seen;
        BoxAnswerer answer(button, [&](MessageBoxWnd& box) { seen = Look(box); });
        const int result = ShowMessageBox(static_cast<EnumMsgType>(kind), language, owner);
        EXPECT_EQ(answer.Kinds(), std::vector<int>{kind});
        return {result, seen};
    }
    static std::string Msg(const char* key) {
        return key ? language::ReadText(0, language::kMessagePage, key) : std::string();
    }
};

TEST_F(MessageBoxes, EachKindShowsItsTextsAndButtons) {
    const struct {
        int kind;
        const char *describe, *question, *yes, *no;
        bool noVisible;
    } rows[] = {
        {0, "ReplaceDesText", "ReplaceQueText", "ReplaceText", "CancelText", true},
        {2, "CancelDesText", "CancelQueText", "ContinueText", "CancelText", true},
        {3, "AppExistDesText", "AppExistQueText", "OkButtonText", "NoText", false},
        {4, "PathErrorDesText", nullptr, "OkButtonText", nullptr, false},
        {6, "InstallRunTimeOutDesText", "InstallRunTimeOutQueText", "ConfirmText", "CancelText",
         false},
        {7, "MD5FailDesText", "MD5FailQueText", "ConfirmText", "CancelText", false},
        {8, "UrlFailDexText", "UrlFailQueText", "ConfirmText", "CancelText", false},
        {9, "InternetFailDesText", "InternetFailQueText", "ConfirmText", "CancelText", false},
        {10, "InternetTimeoutDesText", "InternetTimeoutQueText", "ConfirmText", "CancelText",
         false},
        {12, "ClickShortcutToLaunchText", nullptr, "ConfirmText", nullptr, false},
        {13, "NotSupportSystemDesText", nullptr, "OkButtonText", nullptr, false},
        {14, "NotSupportCountryText", nullptr, "ConfirmText", nullptr, false},
        {15, "AgreeDesText", nullptr, "AgreeInstallText", "NotAgreeText", true},
    };
    for (const auto& row : rows) {
        const auto [result, seen] = Show(row.kind, "btn_yes");
        EXPECT_EQ(result, kMsgBoxYes) << row.kind;
        EXPECT_EQ(seen.describe, Msg(row.describe)) << row.kind;
        EXPECT_EQ(seen.question, Msg(row.question)) << row.kind;
        EXPECT_EQ(seen.yes, Msg(row.yes)) << row.kind;
        EXPECT_EQ(seen.no, Msg(row.no)) << row.kind;
        EXPECT_EQ(seen.noVisible, row.noVisible) << row.kind;
    }
    EXPECT_EQ(Show(3, "btn_yes").second.yes, "OK");
    EXPECT_FALSE(Show(2, "btn_yes").second.iconVisible);
}

TEST_F(MessageBoxes, KindFiveKeepsItsLayoutTextsInEveryLanguage) {
    const Seen english = Show(5, "closebtn", 0).second;
    const Seen arabic = Show(5, "closebtn", 8).second;
    EXPECT_EQ(english.describe, arabic.describe);
    EXPECT_EQ(english.yes, arabic.yes);
}

TEST_F(MessageBoxes, TheSpaceBoxFillsFreeAndNeededSpaceInWholeMegabytes) {
    EXPECT_EQ(MessageBoxWnd::FillSpaceText("**1** / **2** / **1**", 3221225472, 1048576),
              "3072MB / 1MB / 3072MB");
    EXPECT_EQ(MessageBoxWnd::FillSpaceText("free **1**", 1048575, 0), "free 0MB");
    CConfigure::Instance().SetSpaceFree(3221225472);
    CConfigure::Instance().SetSpaceNeeded(5 * 1048576);
    // The simplified-Chinese text carries the placeholders.
    const Seen seen = Show(11, "btn_yes", 2).second;
    EXPECT_NE(seen.describe.find("3072MB"), std::string::npos) << seen.describe;
    EXPECT_NE(seen.describe.find("5MB"), std::string::npos) << seen.describe;
    EXPECT_EQ(seen.describe.find("**"), std::string::npos);
    EXPECT_EQ(seen.question, "");
    EXPECT_FALSE(seen.noVisible);
}

TEST_F(MessageBoxes, AnswersOfTheButtonsAndWhatTheyDoToTheOwner) {
    const struct {
        int kind;
        const char* button;
        int result;
        bool ownerVisible;
        int clears;
    } rows[] = {
        {2, "closebtn", kMsgBoxYes, true, 0},  // closing the cancel question means continue
        {2, "btn_yes", kMsgBoxYes, true, 0},
        {2, "btn_no", kMsgBoxNo, false, 0},
        {1, "btn_yes", kMsgBoxYes, false, 0},
        {4, "closebtn", kMsgBoxNo, true, 0},
        {6, "btn_yes", kMsgBoxYes, true, 1},
        {7, "closebtn", kMsgBoxNo, true, 1},
        {8, "closebtn", kMsgBoxNo, true, 0},
        {15, "btn_no", kMsgBoxNo, true, 0},
        // The window frame (or Alt+F4) does what the close button does.
        {6, uitest::kWindowFrame, kMsgBoxNo, true, 1},
        {7, uitest::kWindowFrame, kMsgBoxNo, true, 1},
        {2, uitest::kWindowFrame, kMsgBoxYes, true, 0},
        {8, uitest::kWindowFrame, kMsgBoxNo, true, 0},
    };
    for (const auto& row : rows) {
        tasks_->clears = 0;
        auto owner = OpenWindow();
        const int result = Show(row.kind, row.button, 0, owner.get()).first;
        uitest::Settle();
        EXPECT_EQ(result, row.result) << row.kind << " " << row.button;
        EXPECT_EQ(owner->IsVisible(), row.ownerVisible) << row.kind << " " << row.button;
        EXPECT_EQ(tasks_->clears, row.clears) << row.kind << " " << row.button;
    }
}

TEST_F(MessageBoxes, ABoxWithoutOwnerWorksBeforeAnyWindowExists) {
    EXPECT_EQ(Show(13, "btn_yes").first, kMsgBoxYes);
    EXPECT_EQ(Show(14, "closebtn").first, kMsgBoxNo);
}

TEST_F(MessageBoxes, TheAgreeBoxOpensPrivacyAndLicenceLinks) {
    CConfigure::Instance().SetLanguageIndex(0);
    CConfigure::Instance().SetLinks("en", L"https://privacy.example/en",
                                    L"https://terms.example/en");
    BoxAnswerer answer("btn_yes", [](MessageBoxWnd& box) {
        toolkit::Control* text = box.FindControl("msg_describe");
        box.Manager().SendNotify(text, "link", 0);
        box.Manager().SendNotify(text, "link", 1);
    });
    EXPECT_EQ(ShowMessageBox(MSG_AGREE_LICENSE, 0, nullptr), kMsgBoxYes);
    EXPECT_EQ(opened_,
              (std::vector<std::string>{"https://privacy.example/en", "https://terms.example/en"}));
    // Other kinds ignore links.
    BoxAnswerer other("btn_yes", [](MessageBoxWnd& box) {
        box.Manager().SendNotify(box.FindControl("msg_describe"), "link", 0);
    });
    ShowMessageBox(MSG_PATH_ERROR, 0, nullptr);
    EXPECT_EQ(opened_.size(), 2u);
}

}  // namespace
