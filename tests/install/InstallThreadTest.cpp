// The install thread, end to end over scripted seams: every way out of an attempt.
#include "InstallThreadFixture.h"

namespace {

using namespace cvdtest;

TEST_F(InstallThreadTest, AFirstInstallDownloadsVerifiesAndRunsThePackage) {
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(Messages(), std::vector<std::uint32_t>{WM_INSTALL_VERIFYING});
    // The package runs from a private copy, removed once the attempt is over.
    const std::wstring work = CConfigure::Instance().GetWorkDirectory();
    ASSERT_EQ(flow.mainRuns.size(), 1u);
    EXPECT_TRUE(flow.mainRuns[0].starts_with(work + L"run-"));
    EXPECT_TRUE(flow.mainRuns[0].ends_with(AsLastPart(CConfigure::Instance().GetPackageFileName()) +
                                           L"|" + window.installPath));
    for (const auto& entry : fs::directory_iterator(PathOf(work)))
        EXPECT_FALSE(entry.path().filename().string().starts_with("run-")) << entry.path();
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

}  // namespace
