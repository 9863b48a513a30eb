#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "DownloadTestSupport.h"
#include "TestSystem.h"
#include "net/CLibcurlTool.h"
#include "net/HandleSockets.h"
#include "net/ReadBatching.h"
#include "platform/NamedMutex.h"

namespace {

using cvdtest::TempEnv;
using Clock = ReadBatching::Clock;
constexpr std::int64_t kMiB = 1048576;

TEST(ReadBatching, MarkFollowsTheLinkAndWhatTheRangeHasLeft) {
    struct Case {
        const char* what;
        std::int64_t rate;
        std::int64_t rest;
        int mark;
    };
    const Case cases[] = {
        {"a tenth of a second at the link's rate", 10 * kMiB, 64 * kMiB, 1048576},
        {"a slower link, a smaller batch", kMiB, 64 * kMiB, 104857},
        {"never more than 2 MiB", 30 * kMiB, 64 * kMiB, 2097152},
        {"never more than half the rest", 10 * kMiB, kMiB, 524288},
        {"none near the range's end", 10 * kMiB, 100 * 1024, 1},
        {"none on a fast link", 40 * kMiB, 64 * kMiB, 1},
        {"none before the rate is known", 0, 64 * kMiB, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadBatching::MarkFor(c.rate, c.rest), c.mark) << c.what;
}

TEST(ReadBatching, MarkIsSetOnceABatchIsReadAndLiftedWhileOneIsRead) {
    ReadBatching batching;
    const Clock::time_point t0 = Clock::now();
    std::int64_t unread = 0;
    int asked = 0;
    const auto socket = [&] {
        ++asked;
        return unread;
    };
    const std::int64_t rest = 64 * kMiB;
    // 16 KiB, then 1 MiB a second later: a 1 MiB/s link whose socket is empty.
    EXPECT_EQ(batching.AfterChunk(16384, 16384, rest, t0, socket), 1);
    const int mark =
        batching.AfterChunk(16384 + kMiB, 16384, rest, t0 + std::chrono::seconds(1), socket);
    EXPECT_EQ(mark, ReadBatching::MarkFor(kMiB, rest));
    EXPECT_GT(mark, 1);
    EXPECT_EQ(asked, 0);

    // Woken with a batch waiting: read on without a mark until less than a read is left.
    unread = 3 * 16384;
    const auto later = t0 + std::chrono::seconds(2);
    EXPECT_EQ(batching.AfterChunk(16384 + 2 * kMiB, 16384, rest, later, socket), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(batching.AfterChunk(16384 + 2 * kMiB, 16384, rest, later, socket), 1);
    EXPECT_GT(batching.AfterChunk(16384 + 2 * kMiB, 16384, rest, later, socket), 1);

    // A socket that cannot tell what it holds gets no mark.
    unread = -1;
    EXPECT_EQ(batching.AfterChunk(16384 + 2 * kMiB, 16384, rest, later, socket), 1);

    batching.AfterChunk(16384 + 2 * kMiB, 16384, rest, later, socket);
    ASSERT_GT(batching.Mark(), 1);
    batching.Release();
    EXPECT_EQ(batching.Mark(), 1);
}

TEST(HandleSockets, KnowsTheOneSocketOfARunningTransfer) {
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    struct Seen {
        HandleSockets sockets;
        platform::Socket during = -1;
        std::int64_t unread = -1;
        bool marked = false;
    } seen;
    CURL* curl = curl_easy_init();
    ASSERT_NE(curl, nullptr);
    EXPECT_EQ(seen.sockets.Only(), -1);
    seen.sockets.Watch(curl);
    curl_easy_setopt(curl, CURLOPT_URL, server.Url("ok/100000").c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &seen);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char*, std::size_t size, std::size_t n, void* data) {
            auto& s = *static_cast<Seen*>(data);
            s.during = s.sockets.Only();
            s.unread = platform::UnreadSocketBytes(s.during);
            s.marked = platform::SetReceiveLowWater(s.during, 1);
            return size * n;
        });
    EXPECT_EQ(curl_easy_perform(curl), CURLE_OK);
    EXPECT_GE(seen.during, 0);
    EXPECT_GE(seen.unread, 0);
    EXPECT_EQ(seen.marked, cvdtest::kSocketsTakeReceiveLowWater);
    EXPECT_EQ(seen.sockets.Only(), seen.during);  // kept for the next request
    curl_easy_cleanup(curl);
    EXPECT_EQ(seen.sockets.Only(), -1);
}

// A slow link that goes quiet in the middle of a batch must still show every byte it delivered:
// the batch it was filling is read as it stands.
TEST(SegmentTransfer, AQuietSlowLinkShowsEveryByteItDelivered) {
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    TempEnv env;
    std::fstream file(env.Root() / "package.bin",
                      std::ios::in | std::ios::out | std::ios::trunc | std::ios::binary);
    std::atomic<std::int64_t> pos{0};
    std::atomic<bool> stop{false};
    std::string probeCdn, segmentCdn;
    platform::NamedMutex mutex(L"mutex_for_read_batching_test");
    SegmentTarget target;
    target.endPos = 4 * kMiB - 1;
    target.downloadedPos = &pos;
    target.contentLength = 8 * kMiB;
    target.probeCdn = &probeCdn;
    target.segmentCdn = &segmentCdn;
    target.file = &file;
    target.fileMutex = &mutex;
    target.stop = &stop;
    // The drip lasts about half a second; the stop comes well after the batch was given up on.
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        stop = true;
    });
    CLibcurlTool tool;
    const CURLcode rc = tool.httpDownloadContent(server.Url("dripstall/8388608"), 0, 4 * kMiB - 1,
                                                 8 * kMiB, target);
    stopper.join();
    EXPECT_EQ(rc, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(pos.load(), kMiB);
}

}  // namespace
