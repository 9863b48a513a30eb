// cvd-fetch killed with SIGKILL at a random moment and started again must complete with the
// right digest, fetching again no more than the task file did not yet record.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include "DownloadTestSupport.h"
#include "FetchProcess.h"
#include "download/CDownLoadImpl.h"
#include "download/TaskFile.h"
#include "net/CLibcurlTool.h"

namespace {

// Bytes a resumed run must still fetch according to the task file (all when there is none).
std::int64_t UnrecordedBytes(const std::string& taskFile, std::int64_t size) {
    const TaskFileContent saved = TaskFile::Load(taskFile);
    if (saved.Tasks.empty()) return size;
    std::int64_t left = 0;
    for (const TaskRecord& t : saved.Tasks) {
        if (t.DownloadedPos == t.EndPos) continue;
        left += std::min(t.EndPos + 1, size) - t.DownloadedPos;
    }
    return left;
}

// Body bytes of the GET answers logged after `offset` of the stand's access log.
std::int64_t ServedSince(const std::filesystem::path& log, std::size_t offset) {
    const std::string text = cvdtest::ReadFile(log);
    std::istringstream lines(text.substr(std::min(offset, text.size())));
    std::string method, uri, status;
    std::int64_t bytes = 0, sum = 0;
    std::string rest;
    while (lines >> method >> uri >> status >> bytes && std::getline(lines, rest))
        if (method == "GET") sum += bytes;
    return sum;
}

TEST(KillAndResume, EveryKilledDownloadResumesToTheRightDigest) {
    cvdtest::TempEnv env;
    const auto www = env.Root() / "www";
    std::filesystem::create_directories(www);
    constexpr std::int64_t kSize = 64 * 1048576 + 4321;
    cvdtest::WriteRandomFile(www / "pkg.bin", kSize, 11);
    const std::string md5 = CDownLoadImpl::FileMd5((www / "pkg.bin").string());
    // 16 MB/s per connection: a run takes about a second, so kills land in every phase.
    cvdtest::CdnStand stand(www, env.Root() / "nginx", "16m");
    ASSERT_TRUE(stand.Started());
    const std::string package = (env.Root() / "pkg.bin").string();
    std::mt19937 random(std::random_device{}());
    std::int64_t worstLoss = 0;
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove(package);
        std::filesystem::remove(package + ".xml");
        const std::size_t logBefore = cvdtest::ReadFile(stand.AccessLog()).size();
        const pid_t first = cvdtest::StartFetch({stand.Https("pkg.bin"), package});
        ASSERT_GT(first, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 1000));
        kill(first, SIGKILL);
        waitpid(first, nullptr, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // nginx logs the cut ranges
        const std::int64_t unrecorded = UnrecordedBytes(package + ".xml", kSize);
        const std::size_t logMiddle = cvdtest::ReadFile(stand.AccessLog()).size();
        const std::int64_t firstRun = ServedSince(stand.AccessLog(), logBefore);
        const pid_t second = cvdtest::StartFetch({stand.Https("pkg.bin"), package, "--md5", md5});
        ASSERT_GT(second, 0);
        EXPECT_EQ(cvdtest::WaitFetch(second, 60000), 0);
        const std::int64_t refetched = ServedSince(stand.AccessLog(), logMiddle);
        EXPECT_LE(refetched, unrecorded);
        worstLoss = std::max(worstLoss, firstRun - (kSize - unrecorded));
    }
    std::printf("largest amount fetched again after a kill: %lld bytes\n",
                static_cast<long long>(worstLoss));
}

// Killed while a server ignores Range (answering every range with the file's first bytes), then
// resumed once it honours ranges: the task file must not have recorded any of those bytes.
TEST(KillAndResume, AnswersThatIgnoreRangeAreNeverRecordedAcrossAKill) {
    cvdtest::TempEnv env;
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    const std::string package = (env.Root() / "pkg.bin").string();
    const std::string url = server.Url("norange/10000000");
    const pid_t first = cvdtest::StartFetch({url, package});
    ASSERT_GT(first, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    CLibcurlTool tool;
    std::string body;
    ASSERT_EQ(tool.httpGet(server.Url("ok/10000000"), body, true), CURLE_OK);
    EXPECT_TRUE(cvdtest::RecordedBytesAreServedOnes(package + ".xml", package, body));
    ASSERT_EQ(tool.httpGet(server.Url("heal"), body, true), CURLE_OK);
    ASSERT_EQ(tool.httpGet(server.Url("ok/10000000"), body, true), CURLE_OK);
    const auto expected = env.WriteFile("expected.bin", body);
    const std::string md5 = CDownLoadImpl::FileMd5(expected.string());
    const pid_t second = cvdtest::StartFetch({url, package, "--md5", md5});
    ASSERT_GT(second, 0);
    EXPECT_EQ(cvdtest::WaitFetch(second, 60000), 0);
}

}  // namespace
