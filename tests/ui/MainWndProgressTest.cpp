// The progress line and the timers that pace it through the stages of an install.
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/LanguageFiles.h"

namespace {

using uitest::BoxAnswerer;
using uitest::ItemOf;
using uitest::Selected;
using uitest::Settle;
using uitest::SettleUntil;
using uitest::Text;
using uitest::Visible;
using MainWindow = uitest::MainWindowTest;

TEST(MainWindowRules, PacingIntervalOfTheInstallationStage) {
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(200ll * 1048576), 1168u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(716799), 0u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(716800), 4u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(0), 0u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(-5), 0u);
}

TEST_F(MainWindow, PagesFollowTheMessagesOfASuccessfulInstall) {
    auto w = OpenWindow();
    StartInstall(*w);
    EXPECT_EQ(Text(*w, "install_label"), language::InstallPageText(0, "wait_text_1"));
    EXPECT_EQ(w->ClientSize().cy, 360);

    Post(*w, WM_INSTALL_PROGRESS, 40);
    EXPECT_EQ(w->ProgressValue(), 40);
    EXPECT_NE(Text(*w, "install_label").find("40%"), std::string::npos);
    // Out of order: never backwards.
    Post(*w, WM_INSTALL_PROGRESS, 30);
    EXPECT_EQ(w->ProgressValue(), 40);
    Post(*w, WM_INSTALL_PROGRESS, 64);
    EXPECT_EQ(w->ProgressValue(), 64);

    Post(*w, WM_INSTALL_VERIFYING);
    EXPECT_EQ(w->ProgressValue(), 65);
    CConfigure::Instance().SetPackageSize(0);
    CConfigure::Instance().SetInstallStage(1);
    Post(*w, WM_INSTALL_RUNNING);
    EXPECT_GE(w->ProgressValue(), 70);
    // The installation stage runs up and holds at 98 while the product's installer works.
    ASSERT_TRUE(SettleUntil([&] { return w->ProgressValue() == 98; }));
    Settle();
    EXPECT_EQ(w->ProgressValue(), 98);
    EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kNoResult);

    // The installer ended: run-up to 100, then the success view.
    CConfigure::Instance().SetInstallStage(2);
    int lowest = w->ProgressValue(), last = lowest;
    ASSERT_TRUE(SettleUntil([&] {
        last = std::max(last, w->ProgressValue());
        lowest = std::min(lowest, w->ProgressValue());
        return w->ResultState() == InstallUIMainWnd::kResultShown;
    }));
    EXPECT_EQ(lowest, 98);
    EXPECT_EQ(w->ProgressValue(), 100);
    EXPECT_EQ(Selected(*w, "main_tablayout"), 0);
    EXPECT_EQ(Selected(*w, "page_layout"), 1);
    EXPECT_TRUE(Visible(*w, "layout_install_ok"));
    EXPECT_FALSE(Visible(*w, "layout_install_fail"));
    EXPECT_TRUE(Visible(*w, "start_app"));
    EXPECT_EQ(tasks_->startApps, 0);  // NeedStart_flag 0: the user starts it
}

}  // namespace
