#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "config/CConfigure.h"
#include "download/CDownloadTaskManager.h"
#include "download/ProbeAnswer.h"

namespace {

using cvdtest::RecordingEvents;

struct Range {
    std::int64_t start, end;
    bool operator==(const Range&) const = default;
};

std::vector<Range> RangesOf(const CDownloadTaskManager& tasks) {
    std::vector<Range> ranges;
    for (const auto& t : tasks.allTasks()) ranges.push_back({t->StartPos, t->EndPos});
    return ranges;
}

class Probe : public cvdtest::FaultServerTest {};

TEST_F(Probe, SplitsTheFileIntoFourMiBRangesWithTheRemainderLast) {
    const std::vector<std::pair<std::int64_t, std::vector<Range>>> cases = {
        {10000000, {{0, 4194303}, {4194304, 10000000}}},
        {4194304, {{0, 4194304}}},
        {100, {{0, 100}}},
        {8388607, {{0, 8388607}}},
        {8388608, {{0, 4194303}, {4194304, 8388608}}},
    };
    for (const auto& [size, expected] : cases) {
        SCOPED_TRACE(size);
        RecordingEvents events;
        const std::string url = server.Url("ok/" + std::to_string(size));
        CDownloadTaskManager tasks(url, package, package + ".xml");
        EXPECT_EQ(tasks.generateDownloadTask(""), Success);
        EXPECT_EQ(RangesOf(tasks), expected);
        EXPECT_EQ(tasks.TasksCount, static_cast<std::int32_t>(expected.size()));
        for (const auto& t : tasks.allTasks()) {
            EXPECT_EQ(t->DownloadedPos.load(), t->StartPos);
            EXPECT_EQ(t->ContentLength, size);
            EXPECT_EQ(t->RemotePath, url);
        }
        EXPECT_EQ(events.Matching("funnel|Download|DownloadState|DownloadStateType|Success").size(),
                  1u);
        EXPECT_EQ(events.Matching("bucket|Download|PackageSize|PackageSizeType|" +
                                  std::to_string(size / 1048576) + "|100|MB")
                      .size(),
                  1u);
        EXPECT_TRUE(events.Matching("ga4|Other|Download").empty());  // no tag
    }
}

TEST_F(Probe, EndlessRedirectsGiveUpAfterTenProbesAndCacheTheFailure) {
    RecordingEvents events;
    cvdtest::LogCapture log(env.Root() / "log.txt");
    CDownloadTaskManager tasks(server.Url("loop/0"), package, package + ".xml");
    EXPECT_EQ(tasks.generateDownloadTask("Download"), TooManyRedirects);
    EXPECT_EQ(events.Matching("bucket|Download|ObtainInstallationPackageTime|").size(), 10u);
    EXPECT_EQ(events.Matching("ga4|Other|Download|"),
              std::vector<std::string>{"ga4|Other|Download|error:47/error:47/error:47/error:47/error:47"});
    EXPECT_TRUE(log.Contains(" Get Contentlength = 0, error CURLE_TOO_MANY_REDIRECTS"));
    EXPECT_TRUE(log.Contains(" GetSize: Download, error:47/"));
    EXPECT_TRUE(log.Contains(" [Error]: Get ContentLength Fail, tried 5 times"));
    CURLcode error = CURLE_OK;
    std::string cdn;
    EXPECT_EQ(tasks.getContentLength(error, cdn), 0);  // cached: no request, error untouched
    EXPECT_EQ(error, CURLE_OK);
}

TEST_F(Probe, MissingHostGivesContentLengthFailed) {
    RecordingEvents events;
    // A label longer than 63 characters cannot be put into a DNS query, so the lookup fails
    // without any traffic leaving the machine.
    const std::string host = std::string(64, 'a') + ".invalid";
    CDownloadTaskManager tasks("https://" + host + "/pkg.bin", package, package + ".xml");
    EXPECT_EQ(tasks.generateDownloadTask("Download"), ContentLengthFailed);
    EXPECT_EQ(events.Matching("ga4|Other|Download|"),
              std::vector<std::string>{"ga4|Other|Download|error:6/error:6/error:6/error:6/error:6"});
}

struct AnswerCase {
    const char* headers;
    std::optional<std::string> cdn;
    std::optional<std::string> location;
    std::optional<std::int64_t> size;
};

TEST(ProbeAnswerText, ReadsCdnLocationAndSize) {
    const std::vector<AnswerCase> cases = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 42\r\nCF-Ray: 1a2b-LAX\r\nCF-Cache-Status: HIT\r\n",
         "LAX/HIT", std::nullopt, 42},
        {"HTTP/2 200 \r\ncontent-length: 42\r\ncf-ray: 1a2b-SJC\r\ncf-cache-status: MISS\r\n",
         "SJC/MISS", std::nullopt, 42},
        {"HTTP/1.1 200 OK\r\nX-Cache: HIT from edge\r\nContent-Length: 7\r\n", "HIT from edge",
         std::nullopt, 7},
        {"HTTP/1.1 206 Partial\r\nContent-Range: bytes 0-0/5000\r\nServer: x\r\n", std::nullopt,
         std::nullopt, 5000},
        {"HTTP/1.1 302 Found\r\nLocation: https://b/land?back_url=https://c/pkg.bin\r\n"
         "Content-Length: 0\r\n",
         std::nullopt, "https://c/pkg.bin", 0},
        {"HTTP/1.1 302 Found\r\nLocation: https://b/pkg.bin\r\n", std::nullopt, "https://b/pkg.bin",
         std::nullopt},
        {"HTTP/1.1 200 OK\r\nContent-Location: /elsewhere\r\nContent-Length: x\r\n", std::nullopt,
         std::nullopt, 0},
        {"HTTP/1.1 200 OK\r\n", std::nullopt, std::nullopt, std::nullopt},
        // Lines ended by a bare LF: no value runs into the next line.
        {"HTTP/1.1 302 Found\nLocation: https://b/pkg.bin\nCF-Ray: 1a2b-LAX\nCF-Cache-Status: HIT\n"
         "Content-Length: 0\n",
         "LAX/HIT", "https://b/pkg.bin", 0},
        // No blank after the name, or no value at all: nothing is taken from the next line.
        {"HTTP/1.1 302 Found\r\nCF-Cache-Status:\r\nCF-Ray: 1a2b-LAX\r\n"
         "Location:https://b/p.bin\r\n",
         "LAX/", "https://b/p.bin", std::nullopt},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.headers);
        const auto cdn = ProbeAnswer::Cdn(c.headers);
        EXPECT_EQ(cdn ? std::optional<std::string>(cdn->cdn) : std::nullopt, c.cdn);
        EXPECT_EQ(ProbeAnswer::Location(c.headers), c.location);
        EXPECT_EQ(ProbeAnswer::Size(c.headers), c.size);
    }
    EXPECT_EQ(ProbeAnswer::ResolveLocation("https://a:1/x/y.bin", "/z.bin"), "https://a:1/z.bin");
}

class ProbeOnCdn : public ::testing::Test {
protected:
    void SetUp() override {
        CConfigure::Instance().ResetForTesting();
        std::filesystem::create_directories(env.Root() / "www");
        cvdtest::WriteRandomFile(env.Root() / "www" / "pkg.bin", 5000000);
        ASSERT_TRUE(stand.Started());
    }
    cvdtest::TempEnv env;
    cvdtest::CdnStand stand{env.Root() / "www", env.Root() / "nginx"};
    std::string package = (env.Root() / "pkg.bin").string();
};

TEST_F(ProbeOnCdn, RedirectsReplaceTheUrlOfTheRanges) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {stand.Https("bounce/pkg.bin"), stand.Https("pkg.bin")},   // Location with back_url=
        {stand.Https("redirect/pkg.bin"), stand.Https("pkg.bin")},  // plain Location
    };
    for (const auto& [start, final] : cases) {
        SCOPED_TRACE(start);
        RecordingEvents events;
        CDownloadTaskManager tasks(start, package, package + ".xml");
        EXPECT_EQ(tasks.generateDownloadTask(""), Success);
        EXPECT_EQ(tasks.url(), final);
        EXPECT_EQ(tasks.ContentLength, 5000000);
        EXPECT_EQ(tasks.allTasks()[0]->RemotePath, final);
    }
}

TEST_F(ProbeOnCdn, ProbeReportsTheCdnSummary) {
    RecordingEvents events;
    cvdtest::LogCapture log(env.Root() / "log.txt");
    CDownloadTaskManager tasks(stand.Https("pkg.bin"), package, package + ".xml");
    CURLcode error = CURLE_OK;
    std::string cdn;
    EXPECT_EQ(tasks.getContentLength(error, cdn), 5000000);
    EXPECT_EQ(cdn, "LAX/HIT");
    EXPECT_TRUE(log.Contains(" Cdn result: HIT, LAX"));
    EXPECT_TRUE(log.Contains(" Get Contentlength = 5000000"));
    EXPECT_EQ(events.Matching("ga4|Download|3.CDNStatus|LAX/HIT").size(), 1u);
    EXPECT_EQ(events.Matching("funnel|Download|CDNStatus|CDNType|LAX/HIT").size(), 1u);
}

}  // namespace
