#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "DownloadTestSupport.h"
#include "config/CConfigure.h"
#include "download/CDownLoadImpl.h"
#include "download/TaskFile.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "platform/NamedMutex.h"
#include "sys/TextConvert.h"

namespace {

using FuntionImpl::Utf8ToUtf16;

class ProgressLog : public IDownloadProgress {
public:
    void onDownloadProgress(std::int64_t downloaded, std::int64_t total,
                            std::int32_t reserved) override {
        ++calls;
        last = {downloaded, total};
        EXPECT_EQ(reserved, 0);
    }
    int calls = 0;
    std::pair<std::int64_t, std::int64_t> last;
};

TEST(DownloadThreads, ScaleWithTheProcessorsAndStartAtFour) {
    const std::vector<std::pair<unsigned, int>> cases = {{1, 4}, {2, 4}, {4, 6}, {6, 9},
                                                         {8, 12}, {16, 25}};
    for (const auto& [processors, threads] : cases)
        EXPECT_EQ(CDownLoadImpl::DownloadThreadCount(processors), threads) << processors;
}

TEST(PackageDigest, MatchesEitherConfiguredDigestInLowerCaseOnly) {
    cvdtest::TempEnv env;
    const auto path = env.WriteFile("pkg.bin", "abc");
    const std::wstring file = path.wstring();
    const std::wstring digest = L"900150983cd24fb0d6963f7d28e17f72";
    const std::wstring upper = L"900150983CD24FB0D6963F7D28E17F72";
    EXPECT_EQ(CDownLoadImpl::checkMD5(file, digest, L"", L"1.0"), 1);
    EXPECT_EQ(CDownLoadImpl::checkMD5(file, L"0", digest, L"1.0"), 1);
    EXPECT_EQ(CDownLoadImpl::checkMD5(file, upper, L"", L"1.0"), 0);
    EXPECT_EQ(CDownLoadImpl::checkMD5(file, L"", L"", L"1.0"), 0);
    // A file that cannot be opened digests as no data.
    EXPECT_EQ(CDownLoadImpl::checkMD5(L"/nonexistent/x", L"d41d8cd98f00b204e9800998ecf8427e",
                                      L"", L""),
              1);
}

class Facade : public ::testing::Test {
protected:
    void SetUp() override {
        CConfigure::Instance().ResetForTesting();
        ASSERT_TRUE(server.Started());
    }
    void TearDown() override { CConfigure::Instance().ResetForTesting(); }

    int Download(const std::string& url, bool checkMinSize = false,
                 CDownLoadImpl::NetworkCheck network = {},
                 std::uint32_t driverWaitMs = CDownLoadImpl::kDriverWaitMs) {
        CDownLoadImpl impl(&progress, std::move(network), driverWaitMs);
        cdnInfo = "unset";
        return impl.SuperDownloadFile(Utf8ToUtf16(url), Utf8ToUtf16(package), cdnInfo, true,
                                      checkMinSize);
    }

    cvdtest::TempEnv env;
    cvdtest::FaultServer server;
    cvdtest::RecordingEvents events;
    ProgressLog progress;
    std::string package = (env.Root() / "pkg.bin").string();
    std::string cdnInfo;
};

TEST_F(Facade, FailingRangesStopAtTheFailureBudget) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    // Three ranges: the budget is 3 x 3 failed requests.
    EXPECT_EQ(Download(server.Url("status/500/12582912")), TooManyRequestFailures);
    EXPECT_TRUE(log.Contains(" > 3 * 3")) << log.Text();
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");
    EXPECT_TRUE(std::filesystem::exists(package + ".xml"));  // kept for resuming
}

TEST_F(Facade, ResetOrOverlongRangesNeverFinish) {
    for (const char* mode : {"reset", "surplus"}) {
        SCOPED_TRACE(mode);
        std::filesystem::remove(package);
        std::filesystem::remove(package + ".xml");
        EXPECT_EQ(Download(server.Url(std::string(mode) + "/5000000")), TooManyRequestFailures);
        EXPECT_LE(std::filesystem::file_size(package), 5000000u);
    }
}

TEST_F(Facade, FileChangedAfterTheProbeIsRejectedByTheRangeGuard) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    EXPECT_EQ(Download(server.Url("changed/5000000")), TooManyRequestFailures);
    EXPECT_TRUE(log.Contains(" HeaderCallback error1: 5000000 != Content-Range: bytes 0-5000000/5000001"))
        << log.Text();
    // The guard fires before any body byte, so no byte of the new file reached the package.
    EXPECT_EQ(std::filesystem::file_size(package), 0u);
}

TEST_F(Facade, MissingHostGivesSixAndASummary) {
    EXPECT_EQ(Download("https://" + std::string(64, 'b') + ".invalid/pkg.bin"),
              ContentLengthFailed);
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");
}

TEST_F(Facade, NoNetworkStopsWithNine) {
    EXPECT_EQ(Download(server.Url("stall/10000000"), false, [] { return false; }), NetworkDown);
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");
}

TEST_F(Facade, ConnectionLostDuringTheRunIsNoticedAtTheNextNetworkCheck) {
    std::vector<std::uint32_t> checks;
    const auto aliveOnce = [&checks] {
        checks.push_back(platform::TickCount());
        return checks.size() == 1;
    };
    EXPECT_EQ(Download(server.Url("stall/10000000"), false, aliveOnce), NetworkDown);
    // One check per interval, not one per monitor pass.
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_GE(checks[1] - checks[0], CDownLoadImpl::kNetworkCheckMs);
}

TEST_F(Facade, ExitingProgramStopsWithSixteen) {
    std::thread exiting([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CConfigure::Instance().SetIsExiting(true);
    });
    EXPECT_EQ(Download(server.Url("stall/10000000")), ForcedExit);
    exiting.join();
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");
}

// Workers blocked for good (here on the package file's lock, held elsewhere) keep the driver from
// ending. The facade must return after its bounded wait, and the threads it leaves behind must
// still find their ranges and file when they wake.
TEST_F(Facade, DriverThatNeverEndsIsAbandonedWithEverythingItUses) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    platform::NamedMutex fileLock(L"mutex_for_downloadthread");
    ASSERT_TRUE(fileLock.Lock(0));
    std::thread exiting([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        CConfigure::Instance().SetIsExiting(true);
    });
    const std::string url = server.Url("ok/10000000");
    EXPECT_EQ(Download(url, false, {}, 1000), ForcedExit);
    exiting.join();
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");
    EXPECT_TRUE(log.Contains(" download driver did not stop within 1000 ms, abandoned"));
    CConfigure::Instance().SetIsExiting(false);
    fileLock.Unlock();  // the abandoned threads go on

    EXPECT_EQ(Download(url), Success);
    CLibcurlTool tool;
    std::string served;
    ASSERT_EQ(tool.httpGet(url, served, true), CURLE_OK);
    EXPECT_EQ(cvdtest::ReadFile(package), served);
}

// The probe shows ranges but the ranges come back whole: the download goes on as one stream.
TEST_F(Facade, ServerIgnoringRangesIsFetchedAsOneStream) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    EXPECT_EQ(Download(server.Url("norange/9000000")), Success);
    EXPECT_TRUE(log.Contains(" the server answered a range with the whole file: single-stream"));
    CLibcurlTool tool;
    std::string served;
    ASSERT_EQ(tool.httpGet(server.Url("ok/9000000"), served, true), CURLE_OK);
    EXPECT_EQ(cvdtest::ReadFile(package), served);
    const TaskFileContent saved = TaskFile::Load(package + ".xml");
    EXPECT_TRUE(saved.SingleStream);
    ASSERT_EQ(saved.Tasks.size(), 1u);
    EXPECT_EQ(saved.Tasks[0].EndPos, 9000000);
}

// The file is replaced by one of the same size between the probe and the ranges: If-Range makes
// the server send the new file whole, and the download starts over instead of mixing versions.
TEST_F(Facade, FileReplacedDuringTheRunStartsOver) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    EXPECT_EQ(Download(server.Url("replaced/9000000")), Success);
    EXPECT_TRUE(log.Contains(" HeaderCallback error6: the file changed: \"v2\" != \"v1\""));
    EXPECT_EQ(events.Matching("funnel|ErrorReporting|Error|MainErrorType|DL025").size(), 1u);
    CLibcurlTool tool;
    std::string replaced;  // a GET without If-Range gets the new version whole
    ASSERT_EQ(tool.httpGet(server.Url("replaced/9000000"), replaced, true), CURLE_OK);
    EXPECT_EQ(cvdtest::ReadFile(package), replaced);
    EXPECT_EQ(TaskFile::Load(package + ".xml").ETag, "\"v2\"");
}

TEST_F(Facade, SmallFileFailsTheMinimumSizeOnlyWhenAsked) {
    EXPECT_EQ(Download(server.Url("ok/100000"), true), FileTooSmall);
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");  // the fault server sends no CDN headers
    std::filesystem::remove(package);
    std::filesystem::remove(package + ".xml");
    EXPECT_EQ(Download(server.Url("ok/100000"), false), Success);
    EXPECT_EQ(std::filesystem::file_size(package), 100000u);
}

TEST_F(Facade, StallingServerTimesOutThirtySecondsAfterTheLastByte) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Download(server.Url("stall/10000000")), NoProgressTimeout);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - started)
                             .count();
    EXPECT_GE(seconds, 30);
    EXPECT_LT(seconds, 38);  // the stop cuts the stalled transfers short
    EXPECT_TRUE(log.Contains("too long no speed:"));
    EXPECT_EQ(cdnInfo, "TotalIsEmpty");
}

class FacadeOnCdn : public Facade {
protected:
    void SetUp() override {
        Facade::SetUp();
        std::filesystem::create_directories(env.Root() / "www");
        ASSERT_TRUE(stand.Started());
    }
    cvdtest::CdnStand stand{env.Root() / "www", env.Root() / "nginx"};
};

TEST_F(FacadeOnCdn, HundredMiBArriveByteForByte) {
    const auto source = env.Root() / "www" / "big.bin";
    cvdtest::WriteRandomFile(source, 100 * 1048576 + 12345);
    EXPECT_EQ(Download(stand.Https("big.bin"), true), Success);
    EXPECT_TRUE(cvdtest::SameBytes(source, package));
    EXPECT_EQ(cdnInfo.rfind("T(LAX/HIT);C(LAX/MISS;", 0), 0u) << cdnInfo;
    EXPECT_EQ(events.Matching("ga4|DownloadSpeed|CDN|").size(), 1u);
    EXPECT_GT(progress.calls, 0);
    const TaskFileContent saved = TaskFile::Load(package + ".xml");
    for (const TaskRecord& t : saved.Tasks) EXPECT_EQ(t.TaskStatus, 1);
}

TEST_F(FacadeOnCdn, HttpTwoDeliversTheSameBytes) {
    cvdtest::CdnStand h2(env.Root() / "www", env.Root() / "nginx-h2", "", true);
    ASSERT_TRUE(h2.Started());
    const auto source = env.Root() / "www" / "h2.bin";
    cvdtest::WriteRandomFile(source, 9 * 1048576 + 7, 5);
    EXPECT_EQ(Download(h2.Https("h2.bin")), Success);
    EXPECT_TRUE(cvdtest::SameBytes(source, package));
    // Lower-case names still feed the probe and the range summary.
    EXPECT_EQ(cdnInfo.rfind("T(LAX/HIT);C(LAX/MISS;", 0), 0u) << cdnInfo;
}

TEST_F(FacadeOnCdn, CompletePackageOnDiskEndsWithTheTotalAndNoSpeedEvent) {
    const auto source = env.Root() / "www" / "small.bin";
    cvdtest::WriteRandomFile(source, 3 * 1048576, 7);
    ASSERT_EQ(Download(stand.Http("small.bin")), Success);
    cvdtest::RecordingEvents second;
    ProgressLog again;
    CDownLoadImpl impl(&again);
    std::string info;
    EXPECT_EQ(impl.SuperDownloadFile(Utf8ToUtf16(stand.Http("small.bin")), Utf8ToUtf16(package),
                                     info, false, true),
              Success);
    EXPECT_GE(again.calls, 1);
    EXPECT_EQ(again.last, std::make_pair(std::int64_t{3 * 1048576}, std::int64_t{3 * 1048576}));
    EXPECT_TRUE(second.Matching("ga4|DownloadSpeed").empty());
    EXPECT_EQ(info, "TotalIsEmpty");  // resumed ranges carry no probe summary
    EXPECT_TRUE(cvdtest::SameBytes(source, package));
}

}  // namespace
