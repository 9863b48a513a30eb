// The install thread's messages that end an attempt well or ask the window for something.
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "ui/InstallUIMainWnd.h"

namespace uitest {
namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, ThePackageThatIsNotAnExecutableEndsOnTheResultView) {
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_NOT_EXE_DONE);
    EXPECT_EQ(w->ProgressValue(), 100);
    EXPECT_EQ(Selected(*w, "page_layout"), 1);
    EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown);
}

TEST_F(MainWindow, ThePathRecheckAcceptsTheFolderOnlyWhenTheCheckPasses) {
    auto w = OpenWindow();
    CConfigure::Instance().SetInstallState(0);
    tasks_->pathCheckPasses = false;
    Post(*w, WM_INSTALL_RECHECK_PATH);
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 0);
    tasks_->pathCheckPasses = true;
    Post(*w, WM_INSTALL_RECHECK_PATH);
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 1);
    EXPECT_EQ(tasks_->pathChecks, 2);
}

}  // namespace
}  // namespace uitest
