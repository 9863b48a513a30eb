#include <filesystem>

#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/StartApp.h"
#include "platform/FsPath.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;

// A program in the chosen folder, joined with this system's separator.
std::wstring InFolder(const char* file, const char* folder = "/opt/Product") {
    return platform::WidePath(std::filesystem::path(folder) / file);
}
const std::wstring kProduct = L"\"" + InFolder("Product") + L"\"";

class StartAppTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        CConfigure::Instance().SetProcess_name(L"Product");
        window.installPath = L"/opt/Product ";
        seams.startMainExe = [this](const std::wstring& exe, std::int32_t admin,
                                    const std::wstring& args) {
            starts.push_back(exe + L"|" + std::to_wstring(admin) + L"|" + args);
            return startResult;
        };
        seams.openUrl = [this](const std::wstring& url) { opened.push_back(url); };
    }
    void AddKit(std::int32_t pid, std::int32_t status, const std::wstring& launch = L"tool") {
        CConfigure::Instance().AddSubProgram({.pid = pid, .status = status, .launch_name = launch});
    }

    install::StartSeams seams;
    std::vector<std::wstring> starts;
    std::vector<std::wstring> opened;
    std::int32_t startResult = 0;
};

TEST_F(StartAppTest, StartsTheProductFromTheTrimmedFolderAndCloses) {
    install::RunStartApp(window, seams);
    EXPECT_EQ(starts, std::vector<std::wstring>{kProduct + L"|0|"});
    EXPECT_EQ(window.calls, (std::vector<std::string>{"product started", "close"}));
    EXPECT_EQ(events.All(),
              (std::vector<std::string>{"ga4|Download|9.StartWindow|0",
                                        "funnel|Launch|StartWindow|StartWindowTime=[0~3]s"}));
    EXPECT_EQ(events.waited, std::vector<std::string>{"ga4|Download|9.StartWindow|0"});
}

TEST_F(StartAppTest, AFolderEndingInASeparatorGetsNoSecondOne) {
    window.installPath = L"/opt/Product/ ";
    install::RunStartApp(window, seams);
    EXPECT_EQ(starts,
              std::vector<std::wstring>{L"\"" + InFolder("Product", "/opt/Product/") + L"\"|0|"});
}

TEST_F(StartAppTest, ASingleDownloadedSubProgramIsNamedOnTheCommandLine) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.StartSubProgram = 1;
    AddKit(3001, 1);
    install::RunStartApp(window, seams);
    EXPECT_EQ(starts, std::vector<std::wstring>{kProduct + L"|0| /startSubProgramPID 3001"});
    EXPECT_TRUE(events.Has("ga4|Download|9.StartWindowIsChToolKit|3001"));
    EXPECT_TRUE(log.Contains(" and sub exe: " + platform::Utf8Text(InFolder("tool"))));

    starts.clear();
    AddKit(3002, 1);  // two sub-programs: no argument
    install::RunStartApp(window, seams);
    EXPECT_EQ(starts, std::vector<std::wstring>{kProduct + L"|0|"});
}

TEST_F(StartAppTest, AFailedStartShowsTheShortcutBox) {
    startResult = -1;
    install::RunStartApp(window, seams);
    EXPECT_EQ(window.boxes, std::vector<int>{12});
    EXPECT_TRUE(events.InOrder({"ga4|Other|FlowError|DL019"}));
    EXPECT_EQ(window.calls.back(), "close");
}

TEST_F(StartAppTest, AnAnimationHidesTheWindowAndLetsTheWaitingWindowStart) {
    CConfigure::Instance().Gif_duration = 3;
    CConfigure::Instance().admin_flag = 1;
    install::RunStartApp(window, seams);
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"product started", "hide", "waiting window", "close"}));
    EXPECT_EQ(window.waiting.quotedMainExe, kProduct);
    EXPECT_EQ(window.waiting.gifDuration, 3);
    EXPECT_EQ(window.waiting.adminFlag, 1);
    EXPECT_TRUE(events.Has("funnel|Launch|StartWindow|StartWindowTime=[3~6]s"));
    EXPECT_TRUE(events.waited.empty());
}

TEST_F(StartAppTest, AFinishPageOpensInsteadOfTheProduct) {
    CConfigure::Instance().SetFinishJumpUrl(L"https://vendor/thanks");
    install::RunStartApp(window, seams);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"https://vendor/thanks"});
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(window.calls.back(), "close");
}

TEST_F(StartAppTest, AServerNameLeadingOutOfTheFolderIsNeverStarted) {
    CConfigure& config = CConfigure::Instance();
    // A process name leading out of the folder never enters the configuration: the product's
    // own name stays and is what starts.
    for (const wchar_t* name : {L"../../usr/bin/xterm", L"/usr/bin/xterm"}) {
        EXPECT_FALSE(config.SetProcess_name(name)) << FuntionImpl::Utf16ToUtf8(name);
        EXPECT_EQ(config.GetProcess_name(), L"Product");
    }
    // A sub-program's launch name comes from the content server without that gate.
    config.IsToolkit = true;
    config.StartSubProgram = 1;
    AddKit(3001, 1, L"../tool");
    install::RunStartApp(window, seams);
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(window.boxes, std::vector<int>{12});
    EXPECT_TRUE(log.Contains("refused server name launch_name: ../tool"));
}

}  // namespace
