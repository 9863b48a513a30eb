// cvd-fetch killed with SIGKILL at a random moment and started again must complete with the
// right digest, fetching again no more than the task file did not yet record.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <thread>

#include "DownloadTestSupport.h"
#include "FetchProcess.h"
#include "download/CDownLoadImpl.h"
#include "download/TaskFile.h"
#include "net/CLibcurlTool.h"

namespace {

using namespace std::chrono_literals;

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

// The seed of the kill moments: CVD_TEST_SEED repeats a run, else a fresh one, printed.
unsigned KillSeed() {
    const char* given = std::getenv("CVD_TEST_SEED");
    const unsigned seed = given && *given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                          : std::random_device{}();
    std::printf("kill moments from seed %u (CVD_TEST_SEED=%u repeats them)\n", seed, seed);
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return seed;
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
    std::mt19937 random(KillSeed());
    std::int64_t worstLoss = 0;
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove(package);
        std::filesystem::remove(package + ".xml");
        const std::size_t logBefore = cvdtest::ReadFile(stand.AccessLog()).size();
        cvdtest::FetchProcess first({stand.Https("pkg.bin"), package});
        ASSERT_TRUE(first.Started());
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 1000));
        first.Kill();
        ASSERT_TRUE(stand.WaitUntilIdle(30000)) << "nginx never logged the cut ranges";
        const std::int64_t unrecorded = UnrecordedBytes(package + ".xml", kSize);
        const std::size_t logMiddle = cvdtest::ReadFile(stand.AccessLog()).size();
        const std::int64_t firstRun = ServedSince(stand.AccessLog(), logBefore);
        cvdtest::FetchProcess second({stand.Https("pkg.bin"), package, "--md5", md5});
        ASSERT_TRUE(second.Started());
        EXPECT_EQ(second.Wait(60000), 0) << second.Output();
        ASSERT_TRUE(stand.WaitUntilIdle(30000)) << "nginx never logged the resumed ranges";
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
    cvdtest::FetchProcess first({url, package});
    ASSERT_TRUE(first.Started());
    // Killed once the single stream that replaced the ranges has bytes on record; without them
    // the check below would hold trivially.
    bool recorded = false;
    for (int i = 0; i < 3000 && !recorded; ++i, std::this_thread::sleep_for(10ms))
        recorded = cvdtest::RecordedBytes(package + ".xml") > 0;
    first.Kill();
    ASSERT_TRUE(recorded) << "no byte arrived before the kill";
    CLibcurlTool tool;
    std::string body;
    ASSERT_EQ(tool.httpGet(server.Url("ok/10000000"), body, true), CURLE_OK);
    EXPECT_TRUE(cvdtest::RecordedBytesAreServedOnes(package + ".xml", package, body));
    ASSERT_EQ(tool.httpGet(server.Url("heal"), body, true), CURLE_OK);
    ASSERT_EQ(tool.httpGet(server.Url("ok/10000000"), body, true), CURLE_OK);
    const auto expected = env.WriteFile("expected.bin", body);
    const std::string md5 = CDownLoadImpl::FileMd5(expected.string());
    cvdtest::FetchProcess second({url, package, "--md5", md5});
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.Wait(60000), 0) << second.Output();
}

// The acceptance run of the Windows build, the same on Linux: a 64 MiB package over HTTPS from the
// CDN reached by name, into a folder named in Cyrillic, checked with --md5; then killed part way
// and resumed to the same digest.
TEST(KillAndResume, DownloadIntoACyrillicFolderResumesToTheSameDigest) {
    cvdtest::TempEnv env;
    const auto www = env.Root() / "www";
    std::filesystem::create_directories(www);
    constexpr std::int64_t kSize = 64 * 1048576;
    cvdtest::WriteRandomFile(www / "pkg.bin", kSize, 12);
    const std::string md5 = CDownLoadImpl::FileMd5((www / "pkg.bin").string());
    // 8 MB/s per connection: the kill lands while ranges are still open.
    cvdtest::CdnStand stand(www, env.Root() / "nginx", "8m");
    ASSERT_TRUE(stand.Started());
    const auto folder = env.Root() / cvdtest::Utf8Path("Загрузки установщика");
    std::filesystem::create_directories(folder);
    const std::string package = cvdtest::PathText(folder / "pkg.bin");
    const std::string url = stand.Https("pkg.bin", "localhost");

    cvdtest::FetchProcess whole({url, package, "--md5", md5});
    ASSERT_TRUE(whole.Started());
    EXPECT_EQ(whole.Wait(180000), 0) << whole.Output();
    EXPECT_TRUE(cvdtest::SameBytes(www / "pkg.bin", folder / "pkg.bin"));

    std::filesystem::remove(folder / "pkg.bin");
    std::filesystem::remove(folder / "pkg.bin.xml");
    cvdtest::FetchProcess first({url, package});
    ASSERT_TRUE(first.Started());
    std::int64_t recorded = 0;
    for (int i = 0; i < 6000 && recorded == 0; ++i, std::this_thread::sleep_for(10ms))
        recorded = cvdtest::RecordedBytes(package + ".xml");
    first.Kill();
    ASSERT_GT(recorded, 0) << "no byte was on record before the kill";
    cvdtest::FetchProcess second({url, package, "--md5", md5});
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.Wait(180000), 0) << second.Output();
    EXPECT_TRUE(cvdtest::SameBytes(www / "pkg.bin", folder / "pkg.bin"));
}

}  // namespace
