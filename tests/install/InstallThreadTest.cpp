// The install thread, phase by phase, over scripted seams: every path out of an attempt, with
// the messages it posts, the events it sends and the log lines it writes.
#include <fstream>

#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/InstallAttempt.h"
#include "platform/Clock.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

class InstallThreadTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ApplyConfig(
            {{"Download_url", "https://cdn/cvd_thread_" + std::to_string(::getpid()) + ".exe"},
             {"Software_version", "1.0.0.0"},
             {"Md5", "0123"},
             {"Filesize", "100"}});
        CConfigure& config = CConfigure::Instance();
        config.SetLoadSource(1);
        config.SetInstallState(1);
        config.PackageSizeReported = true;  // the package-size event is the window's
        window.installPath = Wide(env.Root() / "apps" / "Product");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(PathOf(CConfigure::Instance().GetWorkDirectory()), ignored);
        InstallTest::TearDown();
    }
    std::uint32_t Run() { return install::InstallThreadFunc(window, flow.Seams()); }
    std::wstring Package() {
        CConfigure& config = CConfigure::Instance();
        return config.GetWorkDirectory() + config.GetPackageFileName();
    }
    void AddKit(std::int32_t pid, const std::string& size) {
        CConfigure::Instance().AddSubProgram(
            {.pid = pid,
             .download = L"https://cdn/kit" + std::to_wstring(pid) + L".exe",
             .file_size = FuntionImpl::Utf8ToUtf16(size),
             .launch_name = L"kit.exe",
             .install_dir = L"Kit" + std::to_wstring(pid),
             .local_path = Wide(env.Root() / ("kit" + std::to_string(pid) + ".exe"))});
    }
    std::vector<std::uint32_t> Messages() { return window.target->Messages(); }

    ScriptedFlow flow;
};

TEST_F(InstallThreadTest, AFirstInstallDownloadsVerifiesAndRunsThePackage) {
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(Messages(), std::vector<std::uint32_t>{WM_INSTALL_VERIFYING});
    EXPECT_EQ(flow.mainRuns, std::vector<std::wstring>{Package() + L"|" + window.installPath});
    EXPECT_EQ(flow.subRuns.size(), 1u);
    EXPECT_EQ(CConfigure::Instance().GetInstallStage(), 2);
    EXPECT_EQ(CConfigure::Instance().GetPackageSize(), 100);
    EXPECT_TRUE(events.InOrder({
        "ga4|Download|3.Downloading...|First",
        "funnel|Download|Downloading|DownloadingType=FirstDownload",
        "ga4|Download|4.DownFinsh|First",
        "funnel|Download|MDownSuccess|DownSuccessType=First",
        "ga4|DownloadTime|CDN|0s",
        "ga4|Download|Md5CheckStart|",
        "funnel|MD5Verification|IntegrityCheckStart|",
        "ga4|Download|Md5CheckFinsh|",
        "funnel|MD5Verification|MIntegrityCheckSuccess|",
        "ga4|Download|6.ProgramFinsh|First",
        "ga4|Other|ProductVersion|1.0.0.0",
    })) << ::testing::PrintToString(events.All());
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());
    EXPECT_TRUE(flow.exceptionBodies.empty());
    const std::string text = log.Text();
    std::size_t at = 0;
    for (const char* line :
         {" Speed-Test Totally Take ", "start main program download: https://cdn/cvd_thread_",
          "download main program retcode = 1 1", "main program download finish",
          "all download finish", " Download Totally Takes about 0s And Send To Server",
          " start main md5 check", " finish main md5 check ret = 1", " start sub md5 check",
          " finish sub md5 check", "all before install correct",
          " Cmd Finished, nWaitSeconds: ", "ClearAllFiles time:", " Install Totally Take "}) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << line;
    }
}

TEST_F(InstallThreadTest, FailedAttemptsAreRetriedUpToFourTimes) {
    struct Row {
        std::deque<int> results;
        bool userRetried;
        std::string finishLabel;
        int downloads;
    } rows[] = {{{9, 9, 1}, false, "AutoRetry", 3},
                {{1}, true, "Retry", 1},
                {{11, 11, 11, 11}, false, "AutoRetry", 4}};
    for (const Row& row : rows) {
        flow = ScriptedFlow{};
        flow.downloadResults = row.results;
        CConfigure::Instance().UserRetried = row.userRetried;
        const std::uint32_t result = Run();
        EXPECT_EQ(flow.downloadedUrls.size(), static_cast<std::size_t>(row.downloads));
        EXPECT_TRUE(events.Has("ga4|Download|4.DownFinsh|" + row.finishLabel)) << row.finishLabel;
        if (row.results.back() == Success) {
            EXPECT_EQ(result, install::kInstalled);
            continue;
        }
        EXPECT_EQ(result, install::kStoppedOrFailed);
        const auto posted = window.target->All();
        ASSERT_FALSE(posted.empty());
        EXPECT_EQ(posted.back().message, WM_INSTALL_FAILED);
        EXPECT_EQ(posted.back().wParam, 11u);
        EXPECT_EQ(events.Matching("ga4|Other|DownErrorCode|error11").size(), 4u);
        EXPECT_EQ(events.Matching("ga4|Other|FlowError|DL029").size(), 4u);
        EXPECT_TRUE(events.Has("funnel|Download|MDownFail|"));
        EXPECT_TRUE(flow.mainRuns.empty());
    }
    EXPECT_TRUE(events.Has("ga4|Download|3.Downloading...|Retry"));
    EXPECT_TRUE(
        events.Has("funnel|Download|Downloading|DownloadingType=Manually Retry downloading"));
    EXPECT_TRUE(events.Has("ga4|Download|6.ProgramFinsh|Retry"));
}

TEST_F(InstallThreadTest, ARedirectLoopIsReportedToTheVendor) {
    flow.downloadResults = {TooManyRedirects, Success};
    CConfigure::Instance().SetQueryUrl("https://u/q?a=1&b=2");
    EXPECT_EQ(Run(), install::kInstalled);
    ASSERT_EQ(flow.exceptionBodies.size(), 1u);
    EXPECT_TRUE(
        flow.exceptionBodies[0].starts_with("pid=0&type=2&exception_code=Url_Too_Many_Redirects&"
                                            "other=https://u/q?a=1%26b=2,https://cdn/"));
    EXPECT_TRUE(log.Contains(" Send error report1, response is {\"code\":0}, return 0"));
}

TEST_F(InstallThreadTest, IntegrityFailuresAreReportedAndOnlyABadSignatureStops) {
    struct Row {
        int md5;
        bool sig;
        const char* code;
        const char* exception;
        bool installs;
    } rows[] = {{0, true, "DL013", "MD5_Check_Fail_Cfg1", true},
                {1, false, "DL014", "Hash_Check_Fail_Cfg1", false},
                {0, false, "DL015", "MD5_Hash_Check_Fail_Cfg1", false}};
    for (const Row& row : rows) {
        flow = ScriptedFlow{};
        flow.md5Result = row.md5;
        flow.signatureOk = [&](const std::wstring&) { return row.sig; };
        window.target = std::make_shared<MessageLog>();
        EXPECT_EQ(Run(), row.installs ? install::kInstalled : install::kStoppedOrFailed)
            << row.code;
        EXPECT_TRUE(events.Has(std::string("ga4|Other|FlowError|") + row.code)) << row.code;
        ASSERT_EQ(flow.exceptionBodies.size(), 1u) << row.code;
        EXPECT_NE(flow.exceptionBodies[0].find(row.exception), std::string::npos) << row.code;
        EXPECT_EQ(flow.mainRuns.size(), row.installs ? 1u : 0u) << row.code;
        if (!row.installs)
            EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{WM_INSTALL_VERIFYING,
                                                              WM_INSTALL_SIGNATURE_FAIL}));
    }
    EXPECT_TRUE(log.Contains("signature fail"));
}

TEST_F(InstallThreadTest, AnInstallerTimeOutEndsTheAttemptBeforeTheClosingEvents) {
    flow.mainRunResult = false;
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(CConfigure::Instance().GetInstallStage(), 1);
    EXPECT_TRUE(flow.subRuns.empty());
    EXPECT_TRUE(events.Matching("ga4|Download|6.ProgramFinsh").empty());
}

TEST_F(InstallThreadTest, APackageThatIsNotASetupIsDoneOnceDownloaded) {
    ApplyConfig(
        {{"Download_url", "https://cdn/cvd_thread_" + std::to_string(::getpid()) + ".apk"}});
    CConfigure::Instance().SetLoadSource(1);
    EXPECT_EQ(Run(), install::kNotExecutableDone);
    EXPECT_EQ(Messages(), std::vector<std::uint32_t>{WM_INSTALL_NOT_EXE_DONE});
    EXPECT_TRUE(events.Matching("ga4|Download|Md5CheckStart").empty());
    EXPECT_TRUE(log.Contains("APP DownloaderSucceed"));
}

TEST_F(InstallThreadTest, ConfigurationFromTheDocumentIsFetchedAgainAndTheFolderRechecked) {
    CConfigure& config = CConfigure::Instance();
    config.SetLoadSource(2);
    flow.md5Result = 0;  // the document's digest would not match: it must not be checked
    window.target->onRecheck = [] { CConfigure::Instance().SetInstallState(1); };
    // Leftovers of an earlier run are removed before the download.
    std::string seenBefore;
    fs::create_directories(PathOf(config.GetWorkDirectory()));
    std::ofstream(PathOf(Package())) << "old";
    std::ofstream(PathOf(Package() + L".xml")) << "old";
    auto seams = flow.Seams();
    auto download = seams.download;
    seams.download = [&](const std::wstring& url, const std::wstring& path, std::string& cdn,
                         bool report, bool checkMin, IDownloadProgress* progress) {
        seenBefore =
            (fs::exists(PathOf(path)) || fs::exists(PathOf(path + L".xml"))) ? "left" : "clean";
        return download(url, path, cdn, report, checkMin, progress);
    };
    EXPECT_EQ(install::InstallThreadFunc(window, std::move(seams)), install::kInstalled);
    EXPECT_EQ(flow.queries, 1);
    EXPECT_EQ(seenBefore, "clean");
    EXPECT_EQ(Messages(),
              (std::vector<std::uint32_t>{WM_INSTALL_RECHECK_PATH, WM_INSTALL_VERIFYING}));
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());
    EXPECT_TRUE(log.Contains("cfg from file , get again"));
    EXPECT_TRUE(log.Contains(" Configure Load From File, clearAppData Before Download! "));
}

TEST_F(InstallThreadTest, ARecheckThatNeverAnswersFailsAfterTwentyWaits) {
    CConfigure::Instance().SetLoadSource(2);
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(flow.sleptMs, 20 * 200);
    const auto posted = window.target->All();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].message, WM_INSTALL_FAILED);
    EXPECT_EQ(posted[1].wParam, 0u);
    EXPECT_TRUE(log.Contains("install path error, code is 0"));
}

TEST_F(InstallThreadTest, ARefusedRecheckFailsWithoutWaitingOut) {
    CConfigure::Instance().SetLoadSource(2);
    window.target->onRecheck = [] { CConfigure::Instance().SetInstallState(2); };
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(flow.sleptMs, 0);
    EXPECT_TRUE(log.Contains("install path error, code is 2"));
}

TEST_F(InstallThreadTest, ShutDownStopsTheAttemptSilently) {
    flow.onQuery = [] { CConfigure::Instance().SetIsExiting(true); };
    CConfigure::Instance().SetLoadSource(2);
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(log.Contains("force break thread !!!"));
}

TEST_F(InstallThreadTest, AToolkitDownloadsEachSubProgramOnItsShareOfTheBar) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    AddKit(3001, "1048576");
    AddKit(3002, "2097152");
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(window.target->Progress(), (std::vector<std::uintptr_t>{32, 48, 64}));
    EXPECT_EQ(config.GetPackageSize(), 100 + 1048576 + 2097152);
    SubProgramInfo info;
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_TRUE(config.GetSubProgram(i, info));
        EXPECT_EQ(info.status, 1);
    }
    EXPECT_TRUE(events.InOrder(
        {"ga4|Download|3.DownloadingIsChToolKit|3001", "ga4|Download|4.DownFinshIsChToolKit|3001",
         "ga4|Download|3.DownloadingIsChToolKit|3002", "ga4|Download|4.DownFinshIsChToolKit|3002",
         "ga4|Download|Md5CheckStartIsChToolKit|3001",
         "ga4|Download|Md5CheckFinshIsChToolKit|3002"}));
}

TEST_F(InstallThreadTest, ASubProgramThatFailsThreeTimesIsLeftOut) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    AddKit(3001, "10");
    flow.downloadResults = {Success, NetworkDown, NetworkDown, NetworkDown};
    EXPECT_EQ(Run(), install::kInstalled);
    SubProgramInfo info;
    config.GetSubProgram(0, info);
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(events.Matching("ga4|Other|FlowErrorIsChToolKitErrorCode|DL010").size(), 3u);
    EXPECT_TRUE(events.Matching("ga4|Download|Md5CheckStartIsChToolKit").empty());
    EXPECT_TRUE(
        log.Contains(" SubProgram Download Fail retcode: 9, 0(curindex)/1(allindex), 3(retry)/3"));
}

TEST_F(InstallThreadTest, ASubProgramWithABadSignatureIsNotInstalled) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    AddKit(3001, "10");
    AddKit(3002, "10");
    flow.signatureOk = [](const std::wstring& path) {
        return path.find(L"kit3001") == std::wstring::npos;
    };
    EXPECT_EQ(Run(), install::kInstalled);
    SubProgramInfo info;
    config.GetSubProgram(0, info);
    EXPECT_EQ(info.status, 0);
    config.GetSubProgram(1, info);
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(fs::status(PathOf(info.local_path)).permissions() != fs::perms::none &&
                (fs::status(PathOf(info.local_path)).permissions() & fs::perms::owner_exec) !=
                    fs::perms::none);
    EXPECT_TRUE(log.Contains(" sub program signature fail, not installed: 3001"));
}

TEST_F(InstallThreadTest, AToolkitWaitsAtMostTenSecondsForItsList) {
    CConfigure::Instance().IsToolkit = true;
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(flow.sleptMs, 10 * 1000);
    EXPECT_EQ(flow.downloadedUrls.size(), 1u);
}

TEST_F(InstallThreadTest, ASubProgramWhoseNamesLeaveTheFolderIsNeverFetched) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    config.AddSubProgram({.pid = 7,
                          .download = L"https://cdn/x.exe",
                          .file_size = L"1",
                          .launch_name = L"x.exe",
                          .install_dir = L"../../etc",
                          .local_path = Wide(env.Root() / "x.exe")});
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(flow.downloadedUrls.size(), 1u);
    EXPECT_TRUE(log.Contains(" refused server name install_dir: ../../etc"));
}

}  // namespace
