// The main window's face under Xvfb: start-up, the settings drawer, the language, closing.
#include <gtest/gtest.h>

#include "ReportingWindow.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "sys/TextConvert.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/LanguageFiles.h"

namespace uitest {
namespace {

using MainWindow = MainWindowTest;

TEST(MainWindowRules, TheWindowClassCarriesTheDownloaderId) {
    EXPECT_EQ(InstallUIMainWnd::ClassNameFor(17), "CV_UI_Frame_17");
    EXPECT_EQ(InstallUIMainWnd::ClassNameFor(0), "CV_UI_Frame");
}

TEST_F(MainWindow, StartsOnTheSettingsPageWithTheProposedFolderAndOneDotPerBanner) {
    auto w = OpenWindow();
    EXPECT_EQ(Selected(*w, "main_tablayout"), 0);
    EXPECT_EQ(Selected(*w, "page_layout"), 0);
    EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kNoResult);
    EXPECT_EQ(Text(*w, "install_btn"), "Install");
    EXPECT_EQ(Text(*w, "install_file_path_edit"), FuntionImpl::Utf16ToUtf8(w->GetDefaultPath()));
    EXPECT_EQ(w->GetDefaultPath().substr(w->GetDefaultPath().size() - 6), L"Zorvik");
    EXPECT_EQ(w->BannerCount(), 4);
    EXPECT_EQ(w->FindControl("hor_option")->As<toolkit::ContainerUI>("Container")->GetCount(), 4);
    EXPECT_EQ(w->ClientSize().cy, 371);  // settings folded
}

TEST_F(MainWindow, TheSettingsChevronGrowsAndShrinksTheWindow) {
    auto w = OpenWindow();
    auto* setting = w->FindControl("install_setting")->As<toolkit::OptionUI>("Option");
    setting->Selected(true, true);
    Settle();
    EXPECT_EQ(w->ClientSize().cy, 571);
    setting->Selected(false, true);
    Settle();
    EXPECT_EQ(w->ClientSize().cy, 371);
}

TEST_F(MainWindow, ThePageIsRenderedAgainInTheLanguageChosen) {
    auto w = OpenWindow(0);
    auto* combo = w->FindControl("language_combox")->As<toolkit::ComboUI>("Combo");
    // Only the languages the product offers stay in the list.
    EXPECT_EQ(combo->GetCount(), static_cast<int>(CConfigure::Instance().GetLanguage_str().size()));
    const int arabic = ItemOf(*combo, "ar");
    ASSERT_GE(arabic, 0);
    combo->SelectItem(arabic, true);
    Settle();
    EXPECT_EQ(CConfigure::Instance().GetLanguageIndex(), 8);
    EXPECT_EQ(Text(*w, "install_btn"), language::InstallPageText(8, "install_btn"));
    EXPECT_TRUE(w->Manager().IsRightToLeft());
    combo->SelectItem(ItemOf(*combo, "en"), true);
    Settle();
    EXPECT_EQ(Text(*w, "install_btn"), "Install");
    EXPECT_FALSE(w->Manager().IsRightToLeft());
}

// Where the window was when it closed, as the collector receives it.
using ClosingWindow = ReportingWindowTest;

TEST_F(ClosingWindow, EachPlaceReportsItsCloseReason) {
    ASSERT_TRUE(collector.Started());
    struct Case {
        const char* name;
        std::function<void(InstallUIMainWnd&)> reach;
        bool asks;
        const char* reason;
    };
    auto install = [this](InstallUIMainWnd& w, int percent) {
        StartInstall(w);
        Post(w, WM_INSTALL_PROGRESS, static_cast<std::uintptr_t>(percent));
    };
    const Case cases[] = {
        {"settings", [](InstallUIMainWnd&) {}, true, "close01"},
        {"downloading at 40", [&](InstallUIMainWnd& w) { install(w, 40); }, true, "close02"},
        {"verifying",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             Post(w, WM_INSTALL_VERIFYING);
         },
         true, "close04"},
        {"held at 98",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             CConfigure::Instance().SetPackageSize(0);
             CConfigure::Instance().SetInstallStage(1);
             Post(w, WM_INSTALL_RUNNING);
             ASSERT_TRUE(SettleUntil([&] { return w.ProgressValue() == 98; }));
         },
         true, "close03"},
        {"failure view",
         [&](InstallUIMainWnd& w) {
             install(w, 10);
             Post(w, WM_INSTALL_FAILED, 0);
         },
         false, "close05"},
        {"success, not started",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             Post(w, WM_INSTALL_NOT_EXE_DONE);
         },
         false, "close06"},
        {"success, started",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             Post(w, WM_INSTALL_NOT_EXE_DONE);
             w.ClickControl("start_app");
             Settle();
         },
         false, "close07"},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        CConfigure::Instance().SetInstallStage(0);
        auto w = OpenWindow();
        c.reach(*w);
        {
            BoxAnswerer cancel("btn_no");
            w->ClickControl("closebtn");
            Settle();
            ASSERT_TRUE(SettleUntil([&] { return !w->IsCreated(); })) << c.name;
            EXPECT_EQ(cancel.Kinds().size(), c.asks ? 1u : 0u) << c.name;
            if (c.asks) {
                EXPECT_EQ(cancel.Kinds()[0], MSG_CANCEL_INSTALL) << c.name;
            }
        }
        expected.push_back(c.reason);
    }
    EXPECT_EQ(Ga4Labels("CrashRate", "Close", expected.size()), expected);
    for (const char* reason : {"close01", "close02", "close05", "close07"})
        EXPECT_TRUE(SettleUntil(
            [&] {
                return FunnelReportsWith({"CloseDownloader", "\"" + std::string(reason) + "\""}) ==
                       1;
            },
            20000))
            << reason;
}

TEST_F(ClosingWindow, ContinuingTheCancelQuestionKeepsTheWindowRunning) {
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_PROGRESS, 40);
    {
        BoxAnswerer carryOn("btn_yes");
        w->ClickControl("closebtn");
        Settle();
        EXPECT_EQ(carryOn.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    }
    {
        BoxAnswerer closeBox("closebtn");  // the box's own close button also means continue
        w->ClickControl("closebtn");
        Settle();
        EXPECT_EQ(closeBox.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    }
    EXPECT_TRUE(w->IsCreated());
    EXPECT_TRUE(w->IsVisible());
    EXPECT_EQ(Selected(*w, "main_tablayout"), 1);
}

TEST_F(ClosingWindow, AltF4OnTheRunningPageClosesWithoutAsking) {
    ASSERT_TRUE(collector.Started());
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_PROGRESS, 40);
    const std::string id = WindowId(w->Caption());
    ASSERT_FALSE(id.empty());
    BoxAnswerer anyBox("btn_yes");
    ASSERT_EQ(RunWhileSettling({"xdotool", "windowfocus", "--sync", id, "key", "alt+F4"}), 0);
    ASSERT_TRUE(SettleUntil([&] { return !w->IsCreated(); }));
    EXPECT_TRUE(anyBox.Kinds().empty());
    EXPECT_EQ(Ga4Labels("CrashRate", "Close", 1), std::vector<std::string>{"close02"});
}

}  // namespace
}  // namespace uitest
