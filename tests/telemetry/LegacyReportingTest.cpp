#include <gtest/gtest.h>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "telemetry/ExportedFunctions.h"
#include "telemetry/Ga4Hit.h"
#include "telemetry/WebLog.h"

namespace {

using cvdtest::CollectorServer;
using cvdtest::QueryPairs;
using cvdtest::QueryValue;

constexpr const char* kGeolocationAnswer =
    "success,Germany,DE,BE,Berlin,Berlin,10115,52.52,13.40,Europe/Berlin,ISP,Org,AS1,203.0.113.9\n";

class LegacyReportingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(collector.Started());
        collector.SetBody("/ServiceList.txt", "https://" + collector.Host() + "/legacy\r\n");
        collector.SetBody("/csv/", kGeolocationAnswer);
    }
    CollectorServer collector;
    cvdtest::TelemetryEnv world{collector.Host()};
};

TEST_F(LegacyReportingTest, IdentityThenUserLogWithTheKeysInOrder) {
    WebLog service;
    EXPECT_EQ(service.LegacyBaseUrl(), "https://" + collector.Host());
    std::string clientId, productLine;
    ASSERT_EQ(service.GetLegacyIdentity(clientId, productLine), 0);
    EXPECT_EQ(service.LegacyBaseUrl(), "https://" + collector.Host() + "/legacy");
    EXPECT_EQ(clientId.size(), 36u);
    EXPECT_EQ(productLine, "1001");
    const auto queries = collector.RequestsTo("/legacy/QueryUser");
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0]["headers"]["accept-language"], "zh-cn");
    EXPECT_EQ(queries[0]["headers"]["user-agent"].asString().rfind(
                  "Mozilla/4.0 (compatible; MSIE 6.0;", 0),
              0u);

    ASSERT_EQ(service.SendLegacyUserLog(12, 1, "", "", 4417, 61, 3), 0);
    const auto logs = collector.RequestsTo("/legacy/AddUserLog");
    ASSERT_EQ(logs.size(), 1u);
    const std::string query = logs[0]["query"].asString();
    std::vector<std::string> keys;
    for (const auto& pair : QueryPairs(query)) keys.push_back(pair.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"USER_ID", "OP_ID", "SoftWareID", "RegEmail",
                                              "UseTime", "Location", "City", "OutIP", "LanguageId",
                                              "Result", "ResultData", "SiteID", "CurVersion",
                                              "ActivityID", "VersionID"}));
    EXPECT_EQ(QueryValue(query, "USER_ID"), clientId);
    EXPECT_EQ(QueryValue(query, "OP_ID"), "12");
    EXPECT_EQ(QueryValue(query, "SoftWareID"), "4417");
    EXPECT_EQ(QueryValue(query, "Location"), "Germany");
    EXPECT_EQ(QueryValue(query, "City"), "Berlin");
    EXPECT_EQ(QueryValue(query, "OutIP"), "203.0.113.9");
    EXPECT_EQ(QueryValue(query, "SiteID"), "61");
}

TEST_F(LegacyReportingTest, AnUnreachableServiceListFailsAfterThreeAttemptsAndNothingIsSent) {
    collector.SetStatus("/ServiceList.txt", 503);
    WebLog service;
    std::string clientId, productLine;
    EXPECT_EQ(service.GetLegacyIdentity(clientId, productLine), -1);
    EXPECT_EQ(clientId, "");
    EXPECT_EQ(collector.RequestsTo("/ServiceList.txt").size(), 3u);
    EXPECT_EQ(service.LegacyBaseUrl(), "https://" + collector.Host());
    EXPECT_EQ(service.SendLegacyUserLog(1, 1, "", "", 1, 1, 1), -1);
    EXPECT_EQ(service.ReportLog(1, "a@b.c", "text", "u1"), -1);
    EXPECT_TRUE(collector.RequestsTo("/AddUserLog").empty());
}

TEST_F(LegacyReportingTest, AServiceListWithoutAnAddressFallsBackToTheConnectivityCheck) {
    collector.SetBody("/ServiceList.txt", "maintenance");
    WebLog service;
    std::string clientId, productLine;
    EXPECT_EQ(service.GetLegacyIdentity(clientId, productLine), 0);
    EXPECT_EQ(service.LegacyBaseUrl(), "https://" + collector.Host());
    EXPECT_EQ(collector.RequestsTo("/QueryUser").size(), 1u);
}

TEST_F(LegacyReportingTest, QueriesPadTheirNumbersAndReturnTheAnswer) {
    collector.SetBody("/QueryTools", "tool list");
    WebLog service;
    std::string answer;
    EXPECT_EQ(service.QueryTools(2, 4417, answer), 0);
    EXPECT_EQ(answer, "tool list");
    EXPECT_EQ(collector.RequestsTo("/QueryTools")[0]["query"],
              "LanguageId=00000002&SoftWareID=00004417");
    collector.SetStatus("/QueryDownloader", 404);
    answer.clear();
    EXPECT_EQ(service.QueryDownloader(2, 4417, 61, answer), -1);
    EXPECT_EQ(collector.RequestsTo("/QueryDownloader")[0]["query"],
              "LanguageId=00000002&SoftWareID=00004417&SiteID=00000061");
}

TEST_F(LegacyReportingTest, FeedbackTicketNeedsStatus200InTheAnswer) {
    WebLog service;
    const std::string path = "/api/v1/ticket/feedback";
    collector.SetBody(path, R"({"status":200,"msg":"ok"})");
    EXPECT_EQ(
        service.PostFeedbackTicket("4417", "a@b.c", "it broke & stopped", "L1", "1.0", "Help"), 0);
    EXPECT_EQ(collector.RequestsTo(path)[0]["body"],
              "product_id=4417&useremail=a%40b.c&content=it%20broke%20%26%20stopped&log_id=L1"
              "&version=1.0&subject=Help");
    collector.SetBody(path, R"({"status":500})");
    EXPECT_EQ(service.PostFeedbackTicket("4417", "a@b.c", "x", "", "", ""), -1);
    EXPECT_EQ(service.PostFeedbackTicket("4417", "", "x", "", "", ""), -1);
    EXPECT_EQ(collector.RequestsTo(path).size(), 2u);
}

TEST_F(LegacyReportingTest, UniversalAnalyticsHit) {
    WebLog service;
    EXPECT_EQ(service.SendUniversalAnalyticsHit("UA-1", "Install", "Click", "First", "cvd", "1.0",
                                                "&cd1=x"),
              0);
    const auto hits = collector.RequestsTo("/collect");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["body"], "v=1&tid=UA-1&cid=" + ga4::ClientId() +
                                   "&t=event&ec=Install&ea=Click&el=First&an=cvd&av=1.0&cd1=x");
}

TEST_F(LegacyReportingTest, NsisLogReturnsAtOnceAndSendsOnItsOwnThread) {
    EXPECT_EQ(NSISLog(7, 4417, 61, 3), 0);
    ASSERT_TRUE(collector.WaitForRequests("/legacy/AddUserLog", 1));
    const std::string query = collector.RequestsTo("/legacy/AddUserLog")[0]["query"].asString();
    EXPECT_EQ(QueryValue(query, "OP_ID"), "7");
    EXPECT_EQ(QueryValue(query, "Result"), "1");
    EXPECT_EQ(QueryValue(query, "SoftWareID"), "4417");
    EXPECT_EQ(QueryValue(query, "SiteID"), "61");
    EXPECT_EQ(QueryValue(query, "VersionID"), "3");
}

}  // namespace
