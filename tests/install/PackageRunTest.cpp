// Running the downloaded installers: the exact command lines, real setups built by setup-builder
// installing into the folder, and installers that never end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "Command.h"
#include "ContentTestSupport.h"
#include "DownloadTestSupport.h"
#include "PackageTestSupport.h"
#include "TempEnv.h"
#include "config/CConfigure.h"
#include "install/PackageRun.h"
#include "platform/Clock.h"
#include "platform/FsPath.h"
#include "platform/ProcessList.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using cvdtest::ReadFile;

// The window as the install thread sees it; records what is posted to it.
class RecordingWindow final : public install::IInstallWindow {
public:
    std::wstring GetInstallPath() const override { return {}; }
    std::wstring GetDefaultPath() const override { return {}; }
    std::shared_ptr<IMessageTarget> GetMessageTarget() const override { return log_; }
    std::vector<std::uint32_t> Messages() const { return log_->Messages(); }

private:
    std::shared_ptr<cvdtest::MessageRecorder> log_ = std::make_shared<cvdtest::MessageRecorder>();
};

TEST(InstallCommandLineTest, LanguageCodes) {
    struct Row {
        int index;
        bool jp;
        const wchar_t* code;
    };
    for (const Row& row : {Row{0, false, L"en"}, Row{1, false, L"ja"}, Row{1, true, L"jp"},
                           Row{2, true, L"zhcn"}, Row{10, false, L"zhtw"}, Row{18, false, L"se"},
                           Row{19, false, L"cz"}, Row{20, false, L""}, Row{-1, false, L""}})
        EXPECT_EQ(install::InstallerLanguageCode(row.index, row.jp), row.code) << row.index;
}

TEST(InstallCommandLineTest, JapaneseCodeForProducts117To125Except121) {
    CConfigure& config = CConfigure::Instance();
    for (const auto& [id, code] : std::vector<std::pair<int, const wchar_t*>>{
             {116, L"ja"}, {117, L"jp"}, {120, L"jp"}, {121, L"ja"}, {125, L"jp"}, {126, L"ja"}}) {
        config.Downloader_id = id;
        EXPECT_EQ(install::InstallerLanguageCode(1, config.IsJpCodeDownloader()), code) << id;
    }
    config.ResetForTesting();
}

TEST(InstallCommandLineTest, MainPackageLineCharacterForCharacter) {
    EXPECT_EQ(
        install::MainPackageCommandLine(L"D:\\Apps\\Product", L"en", L"C:\\Logs\\",
                                        L"Zorvik Video Converter", L"20261210143005", L"null"),
        L" /VERYSILENT /SP- /NORESTART /DIR=\"D:\\Apps\\Product\\\" /LANG=en"
        L" /LOG=\"C:\\Logs\\Setup_Zorvik Video Converter_20261210143005.log\" /sptrack null");
    EXPECT_EQ(install::TrackValue(L"/opt/dl/ZorvikVideoConverter_2000000000000000000DEMO.run"),
              L"\"ZorvikVideoConverter_2000000000000000000DEMO.run\"");
    EXPECT_EQ(install::TrackValue(L"/opt/dl/cvdownloader"), L"null");
}

TEST(InstallCommandLineTest, SubProgramLineHasNoSeparatorBeforeTheQuote) {
    EXPECT_EQ(
        install::SubProgramCommandLine(L"/home/u/Apps/Zorvik", L"ZorvikTool",
                                       L"/work/zorvik_tool_1.2.0.exe", L"de", L"/logs/", L"null"),
        L" /VERYSILENT /SP- /NORESTART /DIR=\"/home/u/Apps/Zorvik\\ZorvikTool\" /LANG=de"
        L" /LOG=\"/logs/zorvik_tool_1.2.0.exe.install.log\" /sptrack null");
}

class PackageRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        CConfigure& config = CConfigure::Instance();
        config.ResetForTesting();
        config.SetSoftware_name(L"Zorvik Video Converter");
        config.SetDownload_url(L"https://cdn.example/zorvikvideoconverter_zorvik.exe");
        config.InstallTimeout = 1;
        config.SetProcess_name(L"ZorvikVideoConverter.exe");
        env.WriteFile("payload/ZorvikVideoConverter.exe", "#!/bin/sh\n");
    }
    void TearDown() override {
        // Also after an assertion ended the test before it asked for the installer's id.
        if (endlessMade && leftoverPid == 0) EndlessPid();
        if (leftoverPid > 0) platform::KillProcess(leftoverPid);
        CConfigure::Instance().ResetForTesting();
    }
    fs::path BuildPackage(const std::string& name) {
        const fs::path package = env.Root() / "work" / name;
        fs::create_directories(package.parent_path());
        EXPECT_TRUE(cvdtest::BuildSetup(env.Root() / "payload", package));
        return package;
    }
    // An installer that never ends; its process id lands in `pidFile`.
    fs::path EndlessPackage() {
        const fs::path package =
            env.WriteFile("work/endless.exe",
                          "#!/bin/sh\necho $$ > \"" + pidFile.string() + "\"\nexec sleep 600\n");
        fs::permissions(package, fs::perms::owner_all);
        endlessMade = true;
        return package;
    }
    int EndlessPid() {
        for (int i = 0; i < 500 && ReadFile(pidFile).empty(); ++i) platform::SleepMs(10);
        return leftoverPid = std::atoi(ReadFile(pidFile).c_str());
    }
    static bool Running(int pid) {
        const auto list = platform::ListProcesses();
        return list && std::any_of(list->begin(), list->end(),
                                   [pid](const auto& p) { return p.pid == pid; });
    }
    std::wstring Wide(const fs::path& path) const { return platform::WidePath(path); }

    cvdtest::TempEnv env;
    cvdtest::RecordingEvents events;
    cvdtest::LogCapture log{env.Root() / "install.log"};
    RecordingWindow window;
    fs::path installPath = env.Root() / "apps" / "Zorvik Video Converter";
    fs::path pidFile = env.Root() / "endless.pid";
    bool endlessMade = false;
    int leftoverPid = 0;
};

TEST_F(PackageRunTest, ASetupStartedWithTheLineInstallsIntoTheFolderAndLogsWhereTold) {
    const fs::path package = BuildPackage("zorvikvideoconverter_zorvik.exe");
    ASSERT_TRUE(install::RunMainPackage(Wide(package), Wide(installPath), window));
    EXPECT_TRUE(fs::exists(installPath / "ZorvikVideoConverter.exe"));
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_RUNNING}));

    const fs::path logFolder = platform::FsPath(CConfigure::Instance().GetLogDirectory());
    int setupLogs = 0;
    for (const auto& entry : fs::directory_iterator(logFolder))
        if (entry.path().filename().string().starts_with("Setup_Zorvik Video Converter_") &&
            ReadFile(entry.path()).find("Installed 1 files into " + installPath.string()) !=
                std::string::npos)
            ++setupLogs;
    EXPECT_EQ(setupLogs, 1);

    EXPECT_EQ(events.Matching("ga4|Download|5.ProgramInstall|First").size(), 1u);
    EXPECT_EQ(events.Matching("funnel|Install|ProgramInstall|ProgramInstallType|First").size(), 1u);
    EXPECT_EQ(events.Matching("ga4|Other|MInstallTime|").size(), 1u);
    EXPECT_EQ(events.Matching("funnel|InstallationSuccessful|ProgramInstallSuccess|MInstallTime|[")
                  .size(),
              1u);
    EXPECT_TRUE(log.Contains(" [Start Install CmdLine]:  /VERYSILENT /SP- /NORESTART /DIR=\"" +
                             installPath.string() + "\\\" /LANG=en"));
    EXPECT_TRUE(log.Contains(" install Finished, nWaitSeconds: "));
}

TEST_F(PackageRunTest, AnInstallerThatNeverEndsTimesOutAndIsLeftRunning) {
    CConfigure::Instance().UserRetried = true;
    ASSERT_FALSE(install::RunMainPackage(Wide(EndlessPackage()), Wide(installPath), window));
    EXPECT_EQ(window.Messages(),
              (std::vector<std::uint32_t>{WM_INSTALL_RUNNING, WM_INSTALL_TIMEOUT}));
    EXPECT_EQ(events.Matching("ga4|Other|FlowError|DL016").size(), 1u);
    EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|DL016").size(), 1u);
    EXPECT_EQ(events.Matching("ga4|Download|5.ProgramInstall|Retry").size(), 1u);
    EXPECT_TRUE(log.Contains(" Cmd nWaitSeconds timed out: 1"));
    EXPECT_TRUE(Running(EndlessPid()));
}

TEST_F(PackageRunTest, APackageThatCannotStartIsAStartFailureNotATimeOut) {
    CConfigure::Instance().InstallTimeout = 600;
    ASSERT_FALSE(
        install::RunMainPackage(Wide(env.Root() / "missing.exe"), Wide(installPath), window));
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_TIMEOUT}));
    EXPECT_EQ(events.Matching("ga4|Other|FlowError|").size(), 1u);
    EXPECT_EQ(events.Matching("ga4|Other|FlowError|DL032").size(), 1u);
    EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|DL032").size(), 1u);
    EXPECT_TRUE(log.Contains(" Installer could not start: No such file or directory (2)"));
}

// Our own setup exits 1-4 when it fails; a package may also end at once having done nothing.
TEST_F(PackageRunTest, AnInstallerThatEndsWithoutTheProductIsAnInstallFailure) {
    struct Row {
        const char* name;
        std::function<fs::path()> package;
        const char* exitCode;
    };
    const Row rows[] = {
        {"setup refused by a file where a folder belongs",
         [this] {
             env.WriteFile("apps", "in the way");
             return BuildPackage("zorvikvideoconverter_zorvik.exe");
         },
         " Installer exit code: 3, main program missing: "},
        {"package that ends at once",
         [this] {
             fs::remove(installPath.parent_path());
             const fs::path script = env.WriteFile("work/idle.exe", "#!/bin/sh\nexit 0\n");
             fs::permissions(script, fs::perms::owner_all);
             return script;
         },
         " Installer exit code: 0, main program missing: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingWindow rowWindow;
        const std::size_t failures = events.Matching("ga4|Other|FlowError|DL033").size();
        EXPECT_FALSE(install::RunMainPackage(Wide(row.package()), Wide(installPath), rowWindow));
        EXPECT_EQ(rowWindow.Messages(),
                  (std::vector<std::uint32_t>{WM_INSTALL_RUNNING, WM_INSTALL_TIMEOUT}));
        EXPECT_EQ(events.Matching("ga4|Other|FlowError|DL033").size(), failures + 1);
        EXPECT_TRUE(log.Contains(std::string(row.exitCode) + installPath.string() +
                                 "/ZorvikVideoConverter.exe"));
    }
    EXPECT_TRUE(events.Matching("funnel|InstallationSuccessful").empty());
    EXPECT_TRUE(events.Matching("ga4|Other|MInstallTime").empty());
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError|DL016").empty());
}

// The installer is given up at the failed wait step InstallTimeout + 2.
TEST(InstallerWaitTest, GivesUpAtTheFailedStepLimitPlusTwo) {
    CConfigure::Instance().ResetForTesting();
    for (const std::int32_t limit : {0, 1, 2, 600}) {
        int steps = 0;
        std::int32_t count = -1;
        EXPECT_EQ(install::WaitInSteps([&] { return ++steps > 1000; }, limit, count),
                  install::Waited::OutOfTime);
        EXPECT_EQ(steps, limit + 2) << limit;
        steps = 0;
        EXPECT_EQ(install::WaitInSteps([&] { return ++steps == limit + 2; }, limit, count),
                  install::Waited::Ended)
            << "the last step may still see the installer end; limit " << limit;
        EXPECT_EQ(count, limit + 1);
    }
}

TEST_F(PackageRunTest, ExitingMidWaitEndsTheRun) {
    CConfigure::Instance().InstallTimeout = 600;
    const fs::path package = EndlessPackage();
    std::thread exiting([this] {
        EndlessPid();
        CConfigure::Instance().SetIsExiting(true);
    });
    const bool finished = install::RunMainPackage(Wide(package), Wide(installPath), window);
    exiting.join();
    EXPECT_FALSE(finished);
    EXPECT_TRUE(log.Contains("force break thread !!!"));
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_RUNNING}));
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());
}

TEST_F(PackageRunTest, DownloadedSubProgramsInstallIntoTheirFoldersInOrder) {
    CConfigure& config = CConfigure::Instance();
    const fs::path tool = BuildPackage("zorvik_tool_1.2.0.exe");
    SubProgramInfo downloaded;
    downloaded.pid = 3001;
    downloaded.status = 1;
    downloaded.install_dir = L"ZorvikTool";
    downloaded.local_path = Wide(tool);
    downloaded.run_path = Wide(tool);
    SubProgramInfo skipped = downloaded;
    skipped.pid = 3002;
    skipped.status = 0;
    skipped.install_dir = L"ZorvikHelper";
    config.AddSubProgram(downloaded);
    config.AddSubProgram(skipped);

    ASSERT_TRUE(install::RunSubPrograms(Wide(installPath), window));
    EXPECT_TRUE(fs::exists(installPath / "ZorvikTool" / "ZorvikVideoConverter.exe"));
    EXPECT_FALSE(fs::exists(installPath / "ZorvikHelper"));
    EXPECT_TRUE(fs::exists(platform::FsPath(config.GetLogDirectory()) /
                           "zorvik_tool_1.2.0.exe.install.log"));
    EXPECT_EQ(events.Matching("ga4|Download|5.ProgramInstallIsChToolKit|").size(), 1u);
    EXPECT_EQ(events.Matching("ga4|Download|6.ProgramFinshIsChToolKit|3001").size(), 1u);
    EXPECT_EQ(events
                  .Matching("funnel|InstallationSuccessful|ProgramInstallSuccessChToolKit|"
                            "ProgramInstallSuccessChToolKitPID|3001")
                  .size(),
              1u);
    EXPECT_TRUE(window.Messages().empty());

    config.SetIsExiting(true);
    EXPECT_FALSE(install::RunSubPrograms(Wide(installPath), window));
    EXPECT_EQ(events.Matching("ga4|Download|5.ProgramInstallIsChToolKit|").size(), 1u);
}

// A server's version once made the package "…_1\" x.exe": the verified file must be the one
// that runs, never a file named after the text before the quote.
TEST_F(PackageRunTest, TheGivenPackageRunsWhateverItsNameHolds) {
    const fs::path package = BuildPackage("zorvikvideoconverter_zorvik_1\" x.exe");
    const fs::path decoy =
        env.WriteFile("work/zorvikvideoconverter_zorvik_1", "#!/bin/sh\ntouch \"$0.ran\"\n");
    fs::permissions(decoy, fs::perms::owner_all);
    ASSERT_TRUE(install::RunMainPackage(Wide(package), Wide(installPath), window));
    EXPECT_TRUE(fs::exists(installPath / "ZorvikVideoConverter.exe"));
    EXPECT_FALSE(fs::exists(decoy.string() + ".ran"));
}

// A tmpfs mounted noexec beside a smaller one that lets programs run (root only).
class NoexecVolumeTest : public PackageRunTest {
protected:
    void SetUp() override {
        PackageRunTest::SetUp();
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";
        for (const auto& [name, options] :
             {std::pair{"noexec", "noexec,size=64m"}, std::pair{"exec", "size=16m"}}) {
            const fs::path point = env.Root() / name;
            fs::create_directories(point);
            const auto mounted = cvdtest::RunCommand(
                {"mount", "-t", "tmpfs", "-o", options, "tmpfs", point.string()});
            if (mounted.status != 0) GTEST_SKIP() << "no tmpfs mount: " << mounted.output;
            mounts.push_back(point);
        }
        env.Set("CVD_VOLUMES", mounts[0].string() + ":" + mounts[1].string());
    }
    void TearDown() override {
        for (const fs::path& point : mounts) cvdtest::RunCommand({"umount", point.string()});
        PackageRunTest::TearDown();
    }
    std::vector<fs::path> mounts;
};

TEST_F(NoexecVolumeTest, TheWorkFolderGoesWhereThePackageCanRun) {
    const std::wstring work = CConfigure::Instance().GetWorkDirectory();
    EXPECT_TRUE(work.starts_with(Wide(mounts[1]) + L"/")) << platform::WideToUtf8(work);
}

TEST_F(NoexecVolumeTest, APackageOnANoexecVolumeReportsWhyItCouldNotStart) {
    const fs::path package = mounts[0] / "zorvikvideoconverter_zorvik.exe";
    fs::copy_file(BuildPackage("zorvikvideoconverter_zorvik.exe"), package);
    fs::permissions(package, fs::perms::owner_all);
    ASSERT_FALSE(install::RunMainPackage(Wide(package), Wide(installPath), window));
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_TIMEOUT}));
    EXPECT_EQ(events.Matching("ga4|Other|FlowError|").size(), 1u);
    EXPECT_EQ(events.Matching("ga4|Other|FlowError|DL032").size(), 1u);
    EXPECT_TRUE(log.Contains(" Installer could not start: Permission denied (13)")) << log.Text();
}

}  // namespace
