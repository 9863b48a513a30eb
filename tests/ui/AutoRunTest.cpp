// Unattended test runs (the AutoRun switch of the debug settings file): the window clicks install,
// retry and start by itself, and one-button boxes confirm themselves. This program writes the
// settings file beside its executable, so it lives in a folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "sys/DebugSettings.h"
#include "toolkit/Button.h"
#include "toolkit/Container.h"

namespace {

using uitest::Settle;
using uitest::SettleUntil;

class AutoRun : public uitest::WindowTest {
protected:
    AutoRun() {
        path_ = FuntionImpl::DebugSettingsPath();
        std::ofstream(std::filesystem::path(path_)) << "[Settings]\nAutoRun=1\n";
    }
    ~AutoRun() override { std::filesystem::remove(std::filesystem::path(path_)); }

    std::wstring path_;
};

TEST_F(AutoRun, TheSwitchIsOn) { EXPECT_TRUE(FuntionImpl::AutoRun()); }

TEST_F(AutoRun, AOneButtonBoxConfirmsItself) {
    EXPECT_EQ(ShowMessageBox(MSG_PATH_ERROR, 0, nullptr), kMsgBoxYes);
}

TEST_F(AutoRun, TheWindowInstallsRetriesAndStartsByItself) {
    CConfigure& config = CConfigure::Instance();
    config.ChooseLicense = false;
    config.SetDownload_url(L"https://cdn.example/Zorvik_setup.exe");
    auto w = OpenWindow();
    // The licence is ticked whatever the product says, and install is clicked after a while.
    EXPECT_TRUE(w->FindControl("license_checkbox")->As<toolkit::OptionUI>("Option")->IsSelected());
    ASSERT_TRUE(SettleUntil([&] { return tasks_->begins == 1; }));

    // A failure: its box confirms itself, then retry is clicked.
    Post(*w, WM_INSTALL_FAILED, 10);
    ASSERT_TRUE(SettleUntil([&] { return tasks_->begins == 2; }));
    EXPECT_TRUE(config.UserRetried);
    EXPECT_EQ(w->FindControl("main_tablayout")->As<toolkit::TabLayoutUI>("TabLayout")->GetCurSel(),
              1);

    // Success: the start button is clicked for the user.
    Post(*w, WM_INSTALL_NOT_EXE_DONE);
    CConfigure::Instance().SetInstallStage(2);
    Post(*w, WM_INSTALL_SUCCEEDED);
    ASSERT_TRUE(SettleUntil([&] { return tasks_->startApps == 1; }));
}

}  // namespace
