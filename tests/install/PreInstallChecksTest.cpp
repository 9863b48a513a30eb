#include <fstream>

#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/PreInstallChecks.h"
#include "platform/Clock.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"

namespace {

using namespace cvdtest;

class PreInstallChecksTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ApplyConfig(
            {{"Download_url", "https://h/cvd_checks_" + std::to_string(::getpid()) + ".apk"},
             {"Process_name", "NotRunning.exe"}});
        window.installPath = Wide(env.Root() / "apps" / "Product");
    }
    void TearDown() override {
        CConfigure::Instance().WaitForAllThreadExit(60000);
        std::filesystem::remove_all(PathOf(CConfigure::Instance().GetWorkDirectory()));
        InstallTest::TearDown();
    }
    ScriptedFlow flow;
};

TEST_F(PreInstallChecksTest, ARunningProductRefusesTheClick) {
    CConfigure::Instance().SetProcess_name(
        platform::FsPath(platform::ModulePath()).filename().wstring());
    EXPECT_EQ(install::BeginInstallTask(window, flow.Seams()), -1);
    EXPECT_EQ(window.boxes, std::vector<int>{3});
    EXPECT_EQ(events.All(),
              std::vector<std::string>{"funnel|ErrorReporting|Error|MainErrorType=DL0024"});
    EXPECT_TRUE(log.Contains("app is running"));
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(PreInstallChecksTest, ARefusedFolderLeavesTheSettingsPage) {
    std::filesystem::create_directories(env.Root() / "apps");
    std::ofstream(env.Root() / "apps" / "file") << "x";
    window.installPath = Wide(env.Root() / "apps" / "file" / "Product");
    EXPECT_EQ(install::BeginInstallTask(window, flow.Seams()), -1);
    EXPECT_EQ(window.boxes, std::vector<int>{4});
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(log.Contains("install path is correct"));
}

TEST_F(PreInstallChecksTest, PassingChecksTurnThePageAndStartTheThread) {
    CConfigure::Instance().SetLoadSource(1);
    EXPECT_EQ(install::BeginInstallTask(window, flow.Seams()), 0);
    EXPECT_EQ(window.calls, std::vector<std::string>{"running page"});
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 1);
    // The thread ends by itself once the package is downloaded; shut-down would stop it early.
    for (int wait = 0; wait < 600 && window.target->Messages().empty(); ++wait)
        platform::SleepMs(100);
    EXPECT_EQ(window.target->Messages(), std::vector<std::uint32_t>{WM_INSTALL_NOT_EXE_DONE});
    EXPECT_TRUE(log.Contains("begin banner play"));
}

}  // namespace
