#include <gtest/gtest.h>

#include <regex>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "Watchdog.h"
#include "config/Endpoints.h"
#include "net/CLibcurlTool.h"
#include "net/LogUpload.h"

namespace {

using cvdtest::CollectorServer;

constexpr const char* kUploadPath = "/v1/productLogUpload";

// The multipart parts of a recorded body: (content-disposition line, content), in order.
std::vector<std::pair<std::string, std::string>> Parts(const Json::Value& request) {
    const std::string type = request["headers"]["content-type"].asString();
    const std::string boundary = "--" + type.substr(type.find("boundary=") + 9);
    const std::string body = request["body"].asString();
    std::vector<std::pair<std::string, std::string>> parts;
    std::size_t at = body.find(boundary);
    while (at != std::string::npos) {
        const std::size_t start = at + boundary.size() + 2;
        const std::size_t next = body.find(boundary, start);
        if (next == std::string::npos) break;
        const std::string part = body.substr(start, next - start - 2);
        const std::size_t blank = part.find("\r\n\r\n");
        const std::string headers = part.substr(0, blank);
        const std::size_t disposition = headers.find("Content-Disposition: ");
        parts.emplace_back(
            headers.substr(disposition, headers.find("\r\n", disposition) - disposition),
            part.substr(blank + 4));
        at = next;
    }
    return parts;
}

class LogUploadTest : public ::testing::Test {
protected:
    CollectorServer collector;
    cvdtest::TelemetryEnv world{collector.Host()};
    std::string dump =
        world.Env().WriteFile("crash/cvd.dmp", std::string("MDMP\0\1\2", 7)).string();
};

TEST_F(LogUploadTest, SendsTheFileAndTextsAsPartsInOrder) {
    ASSERT_TRUE(collector.Started());
    EXPECT_EQ(CLibcurlTool::uploadLogFile(dump, "crash.zip", "4417", "1.0.0.7", "dump"), 0);
    const auto requests = collector.RequestsTo(kUploadPath);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(requests[0]["headers"]["accept"], "*/*");
    EXPECT_EQ(requests[0]["headers"]["content-type"].asString().rfind("multipart/form-data", 0),
              0u);
    const auto parts = Parts(requests[0]);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0].first,
              "Content-Disposition: form-data; name=\"file\"; filename=\"crash.zip\"");
    EXPECT_EQ(parts[0].second.size(), 7u);  // the bytes, zeros included
    EXPECT_NE(requests[0]["body_hex"].asString().find("4d444d50000102"), std::string::npos);
    // Labelled as curl labels a part it reads from a file.
    EXPECT_NE(requests[0]["body"].asString().find("Content-Type: application/octet-stream\r\n"),
              std::string::npos);
    EXPECT_EQ(parts[1],
              std::make_pair(std::string("Content-Disposition: form-data; name=\"product_id\""),
                             std::string("4417")));
    EXPECT_EQ(parts[2].second, "1.0.0.7");
    EXPECT_EQ(parts[3],
              std::make_pair(std::string("Content-Disposition: form-data; name=\"catalogue\""),
                             std::string("dump")));
}

TEST_F(LogUploadTest, AnEmptyCatalogueIsLeftOutAndAnEmptyNameBecomesNoName) {
    ASSERT_TRUE(collector.Started());
    EXPECT_EQ(CLibcurlTool::uploadLogFile(dump, "", "4417", "1.0.0.7", ""), 0);
    const auto requests = collector.RequestsTo(kUploadPath);
    ASSERT_EQ(requests.size(), 1u);
    const auto parts = Parts(requests[0]);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_TRUE(std::regex_match(parts[0].first, std::regex(R"(.*filename="NoName_\d{17}\.dmp")")))
        << parts[0].first;
}

TEST_F(LogUploadTest, ResultCodes) {
    ASSERT_TRUE(collector.Started());
    EXPECT_EQ(CLibcurlTool::uploadLogFile("a.gz", "", "1", "1", ""), -1);
    EXPECT_TRUE(collector.Requests().empty());  // refused before any traffic

    collector.SetStatus(kUploadPath, 404);
    EXPECT_EQ(CLibcurlTool::uploadLogFile(dump, "x.zip", "1", "1", ""), -3);
    collector.SetStatus(kUploadPath, 204);
    EXPECT_EQ(CLibcurlTool::uploadLogFile(dump, "x.zip", "1", "1", ""), -3);

    Endpoints::Instance().Set(endpoint::kLogUploadServer, "127.0.0.1:1");
    EXPECT_EQ(CLibcurlTool::uploadLogFile(dump, "x.zip", "1", "1", ""), -3);
}

// A service that takes the upload and never answers: the upload gives up within its bounds
// (the crash-report process then ends) instead of waiting for ever.
TEST_F(LogUploadTest, AServiceThatStopsAnsweringEndsTheUpload) {
    ASSERT_TRUE(collector.Started());
    cvdtest::Watchdog watchdog(60);
    collector.Control(std::string("/__hold?path=") + kUploadPath);
    logupload::UploadLimits limits;
    limits.stallSeconds = 1;
    EXPECT_EQ(CLibcurlTool::uploadLogFile(dump, "x.zip", "1", "1", "", limits), -3);
    EXPECT_EQ(collector.RequestsTo(kUploadPath).size(), 1u);  // it did reach the service
    collector.Control("/__release");
}

TEST(UploadLimits, EveryStageOfAnUploadIsBounded) {
    const logupload::UploadLimits limits;
    EXPECT_GT(limits.connectSeconds, 0);
    EXPECT_GT(limits.stallSeconds, 0);
    EXPECT_GT(limits.totalSeconds, 0);
}

TEST(NoNameFileName, StampThenTheExtensionOfThePath) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:/dumps/cvd.dmp", "NoName_20240305140709042.dmp"},
        {"/var/tmp/crashlog", "NoName_20240305140709042.tmp"},
        {"/a.b/log.tar.gz", "NoName_20240305140709042.gz"},
        {"/a.b/crashlog", "NoName_20240305140709042.tmp"},
        {"C:\\dumps.old\\crashlog", "NoName_20240305140709042.tmp"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(logupload::NoNameFileName(path, "20240305140709042"), name) << path;
}

}  // namespace
