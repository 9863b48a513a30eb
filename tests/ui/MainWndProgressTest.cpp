// The progress line and the timers that pace it through the stages of an install.
#include <gtest/gtest.h>

#include <functional>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/LanguageFiles.h"

namespace uitest {
namespace {

using MainWindow = MainWindowTest;

TEST(MainWindowRules, PacingIntervalOfTheInstallationStage) {
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(200ll * 1048576), 1168u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(716799), 0u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(716800), 4u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(0), 0u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(-5), 0u);
}

TEST(MainWindowRules, ThePacingTimerNeverSpinsAndOnlyWatchesWhileHolding) {
    const struct {
        unsigned interval;
        bool holding;
        unsigned period;
    } rows[] = {
        {0, false, 10}, {4, false, 10}, {1168, false, 1168},
        {0, true, 250}, {4, true, 250}, {1168, true, 1168},
    };
    for (const auto& row : rows)
        EXPECT_EQ(InstallUIMainWnd::PacingPeriod(row.interval, row.holding), row.period)
            << row.interval << (row.holding ? " holding" : " running up");
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

// A small package: the stage runs up to 98 at once and holds there while the installer works;
// after five seconds of holding the fifth waiting text shows.
TEST_F(MainWindow, TheFifthWaitingTextShowsWhileTheDisplayHolds) {
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_PROGRESS, 64);
    Post(*w, WM_INSTALL_VERIFYING);
    CConfigure::Instance().SetPackageSize(0);
    CConfigure::Instance().SetInstallStage(1);
    Post(*w, WM_INSTALL_RUNNING);
    ASSERT_TRUE(SettleUntil([&] { return w->ProgressValue() == 98; }));
    const std::string fifth = language::InstallPageText(0, "wait_text_5");
    EXPECT_TRUE(SettleUntil([&] { return Text(*w, "install_label") == fifth; }, 15000))
        << Text(*w, "install_label");
    EXPECT_EQ(w->ProgressValue(), 98);
}

TEST_F(MainWindow, ARetryStartsTheProgressAgainFromZero) {
    const struct {
        const char* name;
        std::function<void(InstallUIMainWnd&)> fail;
    } rows[] = {
        {"verification refused at 65",
         [&](InstallUIMainWnd& w) {
             Post(w, WM_INSTALL_VERIFYING);
             Post(w, WM_INSTALL_FAILED, 0);
         }},
        {"installer too long at 98",
         [&](InstallUIMainWnd& w) {
             Post(w, WM_INSTALL_VERIFYING);
             CConfigure::Instance().SetPackageSize(0);
             CConfigure::Instance().SetInstallStage(1);
             Post(w, WM_INSTALL_RUNNING);
             ASSERT_TRUE(SettleUntil([&] { return w.ProgressValue() == 98; }));
             BoxAnswerer confirm("btn_yes");
             Post(w, WM_INSTALL_TIMEOUT);
         }},
    };
    for (const auto& row : rows) {
        CConfigure::Instance().SetInstallStage(0);
        auto w = OpenWindow();
        StartInstall(*w);
        Post(*w, WM_INSTALL_PROGRESS, 64);
        row.fail(*w);
        ASSERT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown) << row.name;
        w->ClickControl("retry_btn");
        Settle();
        EXPECT_EQ(w->ProgressValue(), 0) << row.name;
        EXPECT_EQ(Text(*w, "install_label"), language::InstallPageText(0, "wait_text_1"))
            << row.name;
        EXPECT_EQ(w->ClosePosition(), "close02") << row.name;
        EXPECT_EQ(CConfigure::Instance().GetInstallStage(), 0) << row.name;
        Post(*w, WM_INSTALL_PROGRESS, 10);
        EXPECT_EQ(w->ProgressValue(), 10) << row.name;
        EXPECT_NE(Text(*w, "install_label").find("10%"), std::string::npos) << row.name;
    }
}

}  // namespace
}  // namespace uitest
