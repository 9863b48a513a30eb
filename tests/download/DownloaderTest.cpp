#include <gtest/gtest.h>

#include <functional>

#include "DownloadTestSupport.h"
#include "download/CDownloader.h"
#include "download/TaskFile.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "sys/StringUtils.h"

namespace {

TEST(DownloadProgressRecord, PercentIsTruncatedToTwoDecimals) {
    EXPECT_DOUBLE_EQ(ProgressPercent(10000001, 10000000), 100.00);
    EXPECT_DOUBLE_EQ(ProgressPercent(1, 3), 33.33);
    EXPECT_DOUBLE_EQ(ProgressPercent(2, 3), 66.66);
    EXPECT_DOUBLE_EQ(ProgressPercent(5, 0), 0.0);
}

TEST(DownloadProgressRecord, SpeedTextUsesTheSizeUnits) {
    EXPECT_EQ(FuntionImpl::FormatByteSize(0) + "/S", "0B/S");
    EXPECT_EQ(FuntionImpl::FormatByteSize(524288) + "/S", "512KB/S");
    EXPECT_EQ(FuntionImpl::FormatByteSize(1572864) + "/S", "1.50MB/S");
}

class Driver : public cvdtest::FaultServerTest {
protected:
    // The file the fault server serves under `path` when it honours ranges.
    std::string Served(const std::string& path) {
        CLibcurlTool tool;
        std::string body;
        EXPECT_EQ(tool.httpGet(server.Url(path), body, true), CURLE_OK);
        return body;
    }
    // From now on the fault server answers every range correctly.
    void Heal() { Served("heal"); }
    // Runs the ranges of the task file to their end.
    void Resume(const std::string& url) {
        CDownloader downloader(url, package, taskFile, 4);
        ASSERT_EQ(downloader.downloadInit(""), Success);
        downloader.startDownload();
        ASSERT_TRUE(downloader.waitDriver(60000));
        EXPECT_TRUE(downloader.getProgress().Percent >= 100.0);
    }
    void StopWhen(CDownloader& downloader,
                  const std::function<bool(const DownloadProgress&)>& due) {
        for (int i = 0; i < 3000 && !due(downloader.getProgress()); ++i) platform::SleepMs(10);
        downloader.stopDownload();
        ASSERT_TRUE(downloader.waitDriver(30000));
    }

    std::string taskFile = package + ".xml";
};

TEST_F(Driver, NothingDispatchedSummarisesAsTotalIsEmpty) {
    CDownloader downloader(server.Url("ok/100"), package, taskFile, 4);
    EXPECT_EQ(downloader.getCdnSummary(), "TotalIsEmpty");
}

TEST_F(Driver, NoWorkerStartedGivesEight) {
    cvdtest::LogCapture log(env.Root() / "log.txt");
    CDownloader downloader(server.Url("ok/100"), package, taskFile, 0);
    EXPECT_EQ(downloader.downloadInit(""), NoWorkerThread);
    EXPECT_TRUE(log.Contains(" [Error]:  createThreads is empty"));
}

TEST_F(Driver, FinishedTaskFileStopsWithoutWork) {
    const std::string url = server.Url("ok/10000000");
    TaskFileContent done;
    done.TasksCount = 2;
    done.ContentLength = 10000000;
    done.Tasks = {{0, 4194303, 4194303, url, package, 1, 1, 0},
                  {4194304, 10000000, 10000000, url, package, 1, 2, 0}};
    ASSERT_TRUE(TaskFile::Save(taskFile, done));
    CDownloader downloader(url, package, taskFile, 4);
    ASSERT_EQ(downloader.downloadInit(""), Success);
    downloader.startDownload();
    EXPECT_TRUE(downloader.waitDriver(10000));
    EXPECT_FALSE(downloader.worked());
    const DownloadProgress p = downloader.getProgress();
    EXPECT_EQ(p.Downloaded, 10000001);
    EXPECT_DOUBLE_EQ(p.Percent, 100.00);
}

TEST_F(Driver, AlwaysFailingRangeRestartsFromItsFirstByte) {
    CDownloader downloader(server.Url("status/500/10000000"), package, taskFile, 4);
    ASSERT_EQ(downloader.downloadInit(""), Success);
    downloader.startDownload();
    DownloadProgress p;
    for (int i = 0; i < 500 && p.RequestFailures < 6; ++i) {
        platform::SleepMs(10);
        p = downloader.getProgress();
    }
    downloader.stopDownload();
    ASSERT_TRUE(downloader.waitDriver(30000));
    EXPECT_GE(downloader.getProgress().RequestFailures, 6);
    EXPECT_EQ(downloader.getProgress().Downloaded, 2);  // both ranges back at StartPos
    const TaskFileContent saved = TaskFile::Load(taskFile);
    ASSERT_EQ(saved.Tasks.size(), 2u);
    EXPECT_EQ(saved.Tasks[1].DownloadedPos, 4194304);
    EXPECT_EQ(saved.Tasks[1].TaskStatus, TaskFailed);
    EXPECT_EQ(std::filesystem::file_size(package), 0u);  // no error page in the package
}

TEST_F(Driver, StopCutsStalledTransfersShortAndKeepsWhatArrived) {
    CDownloader downloader(server.Url("stall/10000000"), package, taskFile, 4);
    ASSERT_EQ(downloader.downloadInit(""), Success);
    downloader.startDownload();
    constexpr std::int64_t kSentPerRange = 65536;
    for (int i = 0; i < 500 && downloader.getProgress().Downloaded < 2 * kSentPerRange; ++i)
        platform::SleepMs(10);
    downloader.stopDownload();
    // Well before the transfers' own 20 s limit.
    ASSERT_TRUE(downloader.waitDriver(10000));
    const TaskFileContent saved = TaskFile::Load(taskFile);
    ASSERT_EQ(saved.Tasks.size(), 2u);
    for (const TaskRecord& t : saved.Tasks) {
        EXPECT_EQ(t.DownloadedPos, t.StartPos + kSentPerRange);
        EXPECT_EQ(t.TaskStatus, TaskFailed);
    }
    EXPECT_EQ(downloader.getProgress().RequestFailures, 0);
}

// A server that ignores Range answers every range with the file's first bytes: none of them may
// be recorded as a range's data, or the resumed download ends with a corrupt package.
TEST_F(Driver, AnswersThatIgnoreRangeAreNeverRecordedAcrossAStop) {
    const std::string url = server.Url("norange/10000000");
    {
        CDownloader downloader(url, package, taskFile, 4);
        ASSERT_EQ(downloader.downloadInit(""), Success);
        downloader.startDownload();
        // Once the single stream that replaced the ranges is well under way.
        StopWhen(downloader, [](const DownloadProgress& p) { return p.Downloaded >= 1048576; });
    }
    // Without recorded bytes the check below would hold trivially.
    ASSERT_GE(cvdtest::RecordedBytes(taskFile), 1048576);
    EXPECT_TRUE(cvdtest::RecordedBytesAreServedOnes(taskFile, package, Served("ok/10000000")));
    Heal();
    Resume(url);
    EXPECT_EQ(cvdtest::ReadFile(package), Served("ok/10000000"));
}

// All of an inner range but its last byte arrives, then the link stalls and the run is stopped:
// the range must not be recorded as complete.
TEST_F(Driver, StopBeforeTheLastByteOfARangeLeavesItUnfinished) {
    const std::string url = server.Url("stalllast/10000000");
    {
        CDownloader downloader(url, package, taskFile, 4);
        ASSERT_EQ(downloader.downloadInit(""), Success);
        downloader.startDownload();
        // Both ranges hold all their bytes but one: 4194303 + 5805696 counted bytes.
        StopWhen(downloader, [](const DownloadProgress& p) { return p.Downloaded >= 9999999; });
    }
    const TaskFileContent saved = TaskFile::Load(taskFile);
    ASSERT_EQ(saved.Tasks.size(), 2u);
    EXPECT_LT(saved.Tasks[0].DownloadedPos, saved.Tasks[0].EndPos);
    EXPECT_NE(saved.Tasks[0].TaskStatus, TaskFinished);
    Heal();
    Resume(url);
    EXPECT_EQ(cvdtest::ReadFile(package), Served("ok/10000000"));
}

}  // namespace
