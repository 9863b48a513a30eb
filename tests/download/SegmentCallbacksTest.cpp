#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "DownloadTestSupport.h"
#include "net/CLibcurlTool.h"
#include "net/HeaderText.h"
#include "platform/NamedMutex.h"

namespace {

using cvdtest::TempEnv;

// One segment of a package file, with the stream and mutex the callbacks write through.
class Segment {
public:
    Segment(const TempEnv& env, std::int64_t start, std::int64_t end, std::int64_t contentLength)
        : path_(env.Root() / "package.bin"),
          file_(path_, std::ios::in | std::ios::out | std::ios::trunc | std::ios::binary),
          pos_(start) {
        target.taskId = 1;
        target.endPos = end;
        target.downloadedPos = &pos_;
        target.contentLength = contentLength;
        target.probeCdn = &probeCdn;
        target.segmentCdn = &segmentCdn;
        target.file = &file_;
        target.fileMutex = &mutex_;
        target.answer = {206, true, {}};  // as after a matching Content-Range
    }

    std::size_t Write(std::size_t n) {
        std::vector<char> data(n, 'x');
        return CLibcurlTool::downloadFunc(data.data(), 1, n, &target);
    }
    std::size_t Header(const std::string& line) {
        std::string copy = line;
        return CLibcurlTool::HeaderCallback(copy.data(), 1, copy.size(), &target);
    }
    std::int64_t Pos() const { return pos_.load(); }
    const std::filesystem::path& Path() const { return path_; }
    std::uintmax_t FileSize() {
        file_.flush();
        return std::filesystem::file_size(path_);
    }

    SegmentTarget target;
    std::string probeCdn;
    std::string segmentCdn;

private:
    std::filesystem::path path_;
    std::fstream file_;
    std::atomic<std::int64_t> pos_;
    platform::NamedMutex mutex_{L"mutex_for_downloadthread_test"};
};

struct WriteCase {
    const char* name;
    std::int64_t start, end, contentLength;
    std::vector<std::size_t> chunks;
    std::size_t lastWritten;  // what the final chunk's call returns
    std::int64_t finalPos;
    std::uintmax_t fileSize;
};

TEST(SegmentWriteCallback, CompletionAndSurplusRules) {
    const std::vector<WriteCase> cases = {
        {"inner segment receives exactly its range",
         0,
         4194303,
         10000000,
         {4194304 - 16384, 16384},
         16384,
         4194303,
         4194304},
        {"last segment ends at the file size",
         4194304,
         10000000,
         10000000,
         {5805696 - 100, 100},
         100,
         10000000,
         10000000},
        {"inner surplus is cut at EndPos", 0, 99, 1000, {90, 20}, 10, 99, 100},
        {"last-segment surplus never writes past the file",
         900,
         1000,
         1000,
         {100, 10},
         0,
         1000,
         1000},
        {"last-segment chunk crossing the end keeps only the file's bytes",
         900,
         1000,
         1000,
         {150},
         100,
         1000,
         1000},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempEnv env;
        Segment segment(env, c.start, c.end, c.contentLength);
        std::size_t last = 0;
        for (std::size_t n : c.chunks) last = segment.Write(n);
        EXPECT_EQ(last, c.lastWritten);
        EXPECT_EQ(segment.Pos(), c.finalPos);
        EXPECT_EQ(segment.FileSize(), c.fileSize);
    }
}

// "Complete" is DownloadedPos = EndPos, and an inner range's EndPos is its last byte: a stop or a
// task-file save after all bytes but that one must not record the range as complete.
TEST(SegmentWriteCallback, LastByteOfAnInnerRangeCountsOnlyOnceWritten) {
    const std::vector<std::vector<std::size_t>> beforeTheCut = {{99}, {50, 49}, {98, 1}};
    for (const auto& chunks : beforeTheCut) {
        SCOPED_TRACE(chunks.size());
        TempEnv env;
        Segment segment(env, 0, 99, 1000);
        for (std::size_t n : chunks) EXPECT_EQ(segment.Write(n), n);
        EXPECT_TRUE(CLibcurlTool::flushSegment(segment.target));  // what a stop or save does
        EXPECT_LT(segment.Pos(), 99);
        EXPECT_EQ(segment.FileSize(), 99u);
        EXPECT_EQ(segment.Write(1), 1u);
        EXPECT_TRUE(CLibcurlTool::flushSegment(segment.target));
        EXPECT_EQ(segment.Pos(), 99);
        EXPECT_EQ(segment.FileSize(), 100u);
    }
}

TEST(SegmentWriteCallback, BodyWithoutAMatchingRangeAnswerIsRefused) {
    TempEnv env;
    Segment segment(env, 0, 99, 1000);
    for (const std::string status : {"HTTP/1.1 200 OK\r\n", "HTTP/1.1 206 Partial Content\r\n"}) {
        SCOPED_TRACE(status);
        segment.Header(status);  // a new answer, its range not yet shown
        EXPECT_EQ(segment.Write(10), 0u);
        EXPECT_EQ(segment.Pos(), 0);
    }
    // Only the field named Content-Range shows the range, not one whose name starts so.
    segment.Header("Content-Range-Note: bytes 0-99/1000\r\n");
    EXPECT_EQ(segment.Write(10), 0u);
    EXPECT_EQ(segment.Header("Content-Range: bytes 0-99/1000\r\n"), 32u);
    EXPECT_EQ(segment.Write(10), 10u);
}

// A 200 to a range request is never written; its validator tells a file that changed since the
// ranges were made from a server that ignores ranges.
TEST(SegmentHeaderCallback, WholeFileAnswerIsJudgedByItsVersion) {
    struct Case {
        std::string ifRange;
        std::string validatorLine;
        bool changed;
    };
    const std::vector<Case> cases = {
        {"\"v1\"", "ETag: \"v2\"\r\n", true},
        {"\"v1\"", "ETag: \"v1\"\r\n", false},
        {"Tue, 01 Dec 2026 10:00:00 GMT", "Last-Modified: Wed, 02 Dec 2026 10:00:00 GMT\r\n", true},
        {"", "ETag: \"v2\"\r\n", false},
        {"\"v1\"", "X-Other: 1\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ifRange + " / " + c.validatorLine);
        TempEnv env;
        Segment segment(env, 0, 99, 1000);
        std::atomic<bool> changed{false}, ignored{false};
        segment.target.ifRange = c.ifRange;
        segment.target.fileChanged = &changed;
        segment.target.rangeIgnored = &ignored;
        EXPECT_EQ(segment.Header("HTTP/1.1 200 OK\r\n"), 17u);
        EXPECT_EQ(segment.Header(c.validatorLine), c.validatorLine.size());
        EXPECT_EQ(segment.Header("\r\n"), 0u);  // the transfer ends with the headers
        EXPECT_EQ(changed.load(), c.changed);
        EXPECT_EQ(ignored.load(), !c.changed);
        EXPECT_EQ(segment.Write(10), 0u);
    }
}

TEST(SegmentWriteCallback, ShortWriteIsLogged) {
    TempEnv env;
    cvdtest::LogCapture log(env.Root() / "log.txt");
    Segment segment(env, 0, 99, 1000);
    EXPECT_EQ(segment.Write(120), 100u);
    EXPECT_TRUE(
        log.Contains(" Thread: 1 Write Error. Task id：1 Download to:99 Receive:120 "
                     "Write:100 Task EndPos:99"));
}

TEST(SegmentWriteCallback, PositionNeverCountsBytesNotYetInTheFile) {
    TempEnv env;
    Segment segment(env, 0, 999, 10000);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(segment.Write(100), 100u);
        EXPECT_LE(segment.Pos(), static_cast<std::int64_t>(segment.FileSize()));
    }
    EXPECT_TRUE(CLibcurlTool::flushSegment(segment.target));
    EXPECT_EQ(segment.Pos(), 300);
    EXPECT_EQ(segment.FileSize(), 300u);
}

TEST(SegmentWriteCallback, SlowLinkStillShowsProgress) {
    TempEnv env;
    Segment segment(env, 0, 999, 10000);
    EXPECT_EQ(segment.Write(100), 100u);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(segment.Write(1), 1u);
    EXPECT_EQ(segment.Pos(), 101);
}

// A range that stalls after some bytes must show them, or the stall would look like no
// progress at all and later restarts like new progress.
TEST(SegmentProgressCallback, WritesBytesHeldBackWhenTheLinkGoesQuiet) {
    TempEnv env;
    Segment segment(env, 0, 999, 10000);
    EXPECT_EQ(segment.Write(100), 100u);
    EXPECT_EQ(CLibcurlTool::segmentProgress(&segment.target, 0, 0, 0, 0), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(CLibcurlTool::segmentProgress(&segment.target, 0, 0, 0, 0), 0);
    EXPECT_EQ(segment.Pos(), 100);
    EXPECT_EQ(segment.FileSize(), 100u);

    std::fstream readOnly(segment.Path(), std::ios::in | std::ios::binary);
    segment.target.file = &readOnly;
    EXPECT_EQ(segment.Write(10), 10u);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_NE(CLibcurlTool::segmentProgress(&segment.target, 0, 0, 0, 0), 0);
    EXPECT_EQ(segment.Pos(), 100);
}

// The range asked for ends before the segment does, so the transfer succeeds with bytes still
// held back: they must reach the file, and a failed write must fail the transfer.
TEST(SegmentTransfer, EveryReceivedByteIsWrittenOrTheTransferFails) {
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "writable file" : "read-only file");
        TempEnv env;
        cvdtest::LogCapture log(env.Root() / "log.txt");
        Segment segment(env, 0, 4999, 100000);
        std::fstream readOnly(segment.Path(), std::ios::in | std::ios::binary);
        if (!writable) segment.target.file = &readOnly;
        CLibcurlTool tool;
        const CURLcode rc =
            tool.httpDownloadContent(server.Url("ok/100000"), 0, 999, 100000, segment.target);
        EXPECT_EQ(rc, writable ? CURLE_OK : CURLE_WRITE_ERROR);
        EXPECT_EQ(segment.Pos(), writable ? 1000 : 0);
        EXPECT_EQ(segment.FileSize(), writable ? 1000u : 0u);
        EXPECT_EQ(log.Contains(" Write Error. Task id：1 Download to:0 "), !writable) << log.Text();
    }
}

// Only a 206 that places its body at the range's position may write into the package.
TEST(SegmentTransfer, AnswersThatDoNotMatchTheRangeWriteNothing) {
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    for (const char* mode : {"norange", "shifted", "early"}) {
        SCOPED_TRACE(mode);
        TempEnv env;
        Segment segment(env, 4096, 8191, 100000);
        segment.target.answer = {};
        CLibcurlTool tool;
        const CURLcode rc = tool.httpDownloadContent(server.Url(std::string(mode) + "/100000"),
                                                     4096, 8191, 100000, segment.target);
        EXPECT_EQ(rc, CURLE_WRITE_ERROR);
        EXPECT_EQ(segment.Pos(), 4096);
        EXPECT_EQ(segment.FileSize(), 0u);
    }
}

struct RangeCase {
    const char* line;
    std::int64_t contentLength;
    bool accepted;
    const char* logText;
    std::int64_t start = 0;  // where the segment stands
};

TEST(SegmentHeaderCallback, ContentRangeGuard) {
    const std::vector<RangeCase> cases = {
        {"Content-Range: bytes 0-99/1000\r\n", 1000, true, nullptr},
        {"Content-Range: bytes 0-99/1000\r\n", 1001, false,
         " HeaderCallback error1: 1001 != Content-Range: bytes 0-99/1000"},
        {"Content-Range: bytes 0-99\r\n", 1000, false,
         " HeaderCallback error2: Content-Range: bytes 0-99"},
        {"content-range: bytes 0-99/1001\r\n", 1000, false, " HeaderCallback error1: 1000"},
        {"Content-Range: bytes 0-99/1001\r\n", 0, true, nullptr},
        {"HTTP/1.1 500 Internal Server Error\r\n", 1000, false, " HeaderCallback error3: "},
        {"HTTP/2 404 \r\n", 1000, false, " HeaderCallback error3: "},
        {"HTTP/1.1 206 Partial Content\r\n", 1000, true, nullptr},
        {"HTTP/1.1 200 OK\r\n", 1000, true, nullptr},  // judged at the end of its headers
        {"HTTP/1.1 302 Found\r\n", 1000, true, nullptr},
        {"Content-Range: bytes 5-99/1000\r\n", 1000, false,
         " HeaderCallback error4: 0 != Content-Range: bytes 5-99/1000"},
        {"Content-Range: bytes */1000\r\n", 1000, false, " HeaderCallback error4: "},
        {"Content-Range: bytes 0-99/1000 junk\r\n", 1000, false, " HeaderCallback error4: "},
        {"Content-Range: bytes 100-199/1000\r\n", 1000, true, nullptr, 100},
        {"Content-Range: bytes 99-199/1000\r\n", 1000, false,
         " HeaderCallback error4: 100 != Content-Range: bytes 99-199/1000", 100},
        {"Content-Range: bytes 0-199/1000\r\n", 1000, false,
         " HeaderCallback error4: 100 != Content-Range: bytes 0-199/1000", 100},
        {"Content-Range: bytes 101-199/1000\r\n", 1000, false,
         " HeaderCallback error4: 100 != Content-Range: bytes 101-199/1000", 100},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.line);
        TempEnv env;
        cvdtest::LogCapture log(env.Root() / "log.txt");
        Segment segment(env, c.start, c.start + 99, c.contentLength);
        const std::string line = c.line;
        EXPECT_EQ(segment.Header(line), c.accepted ? line.size() : 0u);
        if (c.logText) {
            EXPECT_TRUE(log.Contains(c.logText)) << log.Text();
        }
    }
}

struct CdnCase {
    std::vector<std::string> lines;
    std::string probeCdn;
    std::string expected;
};

TEST(SegmentHeaderCallback, BuildsCdnTextOfTheRange) {
    const std::vector<CdnCase> cases = {
        {{"CF-RAY: 7d2f1a9b3c4e5f60-LAX\r\n", "CF-Cache-Status: HIT\r\n"}, "", "LAX/HIT"},
        {{"CF-RAY: 7d2f1a9b3c4e5f60-LAX\r\n", "CF-Cache-Status: HIT\r\n"}, "LAX/HIT", ""},
        {{"cf-ray: 7d2f1a9b3c4e5f60-SJC\r\n", "cf-cache-status: MISS\r\n"}, "LAX/HIT", "SJC/MISS"},
        {{"CF-Cache-Status: HIT\r\n", "CF-RAY: 1-LAX\r\n"}, "", "LAX/HIT"},
        {{"X-CF-RAY-Copy: 1-LAX\r\n"}, "", ""},
    };
    for (const CdnCase& c : cases) {
        SCOPED_TRACE(c.lines.front() + " probe=" + c.probeCdn);
        TempEnv env;
        Segment segment(env, 0, 99, 1000);
        segment.probeCdn = c.probeCdn;
        for (const std::string& line : c.lines) EXPECT_EQ(segment.Header(line), line.size());
        EXPECT_EQ(segment.segmentCdn, c.expected);
    }
}

TEST(CurlErrorExplainer, LogsTheLineOfItsCodeAndReturnsOne) {
    struct Case {
        int code;
        std::string line;
    };
    const std::vector<Case> cases = {
        {1, " ProtoControl Unsupport!"}, {4, " libcurl InitFailed，Please Try again!"},
        {6, " cannt resovlve server!"},  {8, " FTP服务器非法回复"},
        {14, " Curl unknow error!"},     {23, " 接收数据错误"},
        {28, " Curl Time out"},          {33, " 请求的数据范围错误"},
        {0, " Curl Else Error: 0"},      {19, " Curl Else Error: 19"},
        {47, " Curl Else Error: 47"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TempEnv env;
        cvdtest::LogCapture log(env.Root() / "log.txt");
        EXPECT_EQ(CLibcurlTool::figureError(static_cast<CURLcode>(c.code)), 1);
        const std::string text = log.Text();
        // One line: the log's own prefix, then the message.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_TRUE(text.ends_with(") " + c.line + "\n")) << text;
    }
}

TEST(HeaderText, MatchesNamesAtLineStartsWithoutCase) {
    const std::string text = "HTTP/1.1 200 OK\r\nContent-Location: /a\r\nlocation: /b\r\n";
    EXPECT_EQ(HeaderText::FindHeader(text, "Location:"), text.find("location:"));
    EXPECT_EQ(HeaderText::FindHeader(text, "Content-Length:"), std::string::npos);
    EXPECT_EQ(HeaderText::ParseDecimal("  123abc"), 123);
    EXPECT_EQ(HeaderText::ParseDecimal("x1"), 0);
}

TEST(HeaderText, ContentRangeNeedsItsWholeShape) {
    const auto range = HeaderText::ParseContentRange(" bytes 4194304-8388607/10000000\r\n");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 4194304);
    EXPECT_EQ(range->last, 8388607);
    EXPECT_EQ(range->total, 10000000);
    for (const char* bad :
         {"", "bytes 0-99", "bytes 99-0/1000", "bytes 0-1000/1000", "items 0-9/10",
          "bytes 0-9/99999999999999999999", "bytes -1-9/10", "bytes0-9/10"}) {
        EXPECT_FALSE(HeaderText::ParseContentRange(bad)) << bad;
    }
}

TEST(HttpHelper, HeaderProbeKeepsAtMost2000Characters) {
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    CLibcurlTool tool;
    std::vector<char> out(4000, '\0');
    long code = 0;
    // Six redirect answers produce far more than 2000 characters of header text.
    const CURLcode rc = tool.httpGetHeader(server.Url("loop/0"), out.data(), code);
    EXPECT_EQ(rc, CURLE_TOO_MANY_REDIRECTS);
    EXPECT_EQ(std::string(out.data()).size(), 2000u);
    EXPECT_EQ(code, 302);
}

TEST(HttpHelper, BodyGetAndPost) {
    cvdtest::FaultServer server;
    ASSERT_TRUE(server.Started());
    CLibcurlTool tool;
    std::string body;
    EXPECT_EQ(tool.httpGet(server.Url("ok/100"), body, true), CURLE_OK);
    EXPECT_EQ(body.size(), 100u);
    std::string response = "kept:";
    EXPECT_EQ(tool.HttpPost(server.Url("status/200/1"), "a=1", response), CURLE_OK);
    EXPECT_EQ(response.rfind("kept:status 200", 0), 0u);
}

}  // namespace
