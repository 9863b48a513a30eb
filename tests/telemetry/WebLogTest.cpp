#include <gtest/gtest.h>
#include <json/json.h>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "config/Endpoints.h"
#include "telemetry/ExportedFunctions.h"
#include "telemetry/Ga4Hit.h"
#include "telemetry/ReportIdentity.h"
#include "telemetry/WebLog.h"

namespace {

using cvdtest::CollectorServer;
using cvdtest::ParseJson;

constexpr const char* kJsonType = "application/json; charset=utf-8";

class WebLogTest : public ::testing::Test {
protected:
    CollectorServer collector{{"--status", "/g/collect=204"}};
    cvdtest::TelemetryEnv world{collector.Host()};
};

TEST_F(WebLogTest, Ga4HitIsAnEmptyPostWhoseQueryCarriesTheEncodedParameters) {
    ASSERT_TRUE(collector.Started());
    WebLog service;
    EXPECT_EQ(service.PostGa4Hit("&tid=G-Q4ZK7M2XWD&ep.cv_category=Install Page&en=8-2.Click"), 0);
    const auto hits = collector.RequestsTo("/g/collect");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["method"], "POST");
    EXPECT_EQ(hits[0]["body"], "");
    EXPECT_EQ(hits[0]["headers"]["content-type"], kJsonType);
    EXPECT_EQ(hits[0]["query"], "v=2&cid=" + ga4::ClientId() +
                                    "&tid=G-Q4ZK7M2XWD&ep.cv_category=Install%20Page&en=8-2.Click");
}

TEST_F(WebLogTest, Ga4ResultCodes) {
    ASSERT_TRUE(collector.Started());
    WebLog service;
    EXPECT_EQ(service.PostGa4Hit(""), 254);
    EXPECT_TRUE(collector.Requests().empty());
    collector.SetStatus("/g/collect", 200);
    EXPECT_EQ(service.PostGa4Hit("&en=a"), -1);
    Endpoints::Instance().Set(endpoint::kGa4Collection, "127.0.0.1:1");
    EXPECT_EQ(service.PostGa4Hit("&en=a"), 253);
}

TEST_F(WebLogTest, ProxyTxtSendsGa4HitsThroughTheFirstWordOnly) {
    ASSERT_TRUE(collector.Started());
    CollectorServer proxy{{"--status", "CONNECT=403"}};
    ASSERT_TRUE(proxy.Started());
    world.Env().WriteFile("work/proxy.txt", proxy.Host() + " office proxy, ask IT\n");
    WebLog service;
    EXPECT_EQ(service.PostGa4Hit("&en=a"), 253);  // the proxy refuses the tunnel
    const auto tunnels = proxy.Requests();
    ASSERT_EQ(tunnels.size(), 1u);
    EXPECT_EQ(tunnels[0]["method"], "CONNECT");
    EXPECT_EQ(tunnels[0]["path"], collector.Host());
    EXPECT_TRUE(collector.Requests().empty());
}

TEST_F(WebLogTest, SelfTestGoesThroughTheDebuggingProxy) {
    ASSERT_TRUE(collector.Started());
    CollectorServer proxy{{"--status", "CONNECT=403"}};
    ASSERT_TRUE(proxy.Started());
    world.Env().WriteFile("work/proxy.txt", proxy.Host());
    WebLog service;
    EXPECT_EQ(service.RunSelfTest(), -1);
    const auto tunnels = proxy.Requests();
    ASSERT_EQ(tunnels.size(), 1u);
    EXPECT_EQ(tunnels[0]["path"], collector.Host());
}

TEST_F(WebLogTest, SoftDataReportPostsTheCollectorDocument) {
    ASSERT_TRUE(collector.Started());
    WebLog service;
    const std::string funnel =
        R"({"is_new":1,"pid":4417,"product":"Zorvik","actions":[{"event_type":"event"}]})";
    EXPECT_EQ(service.SoftDataReport(funnel), 0);
    const auto reports = collector.RequestsTo("/collect");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["headers"]["content-type"], kJsonType);
    const std::string body = reports[0]["body"].asString();
    const Json::Value document = ParseJson(body);
    EXPECT_EQ(body, document.toStyledString());
    EXPECT_EQ(document["common"]["uid"], report::MachineUid());
    EXPECT_EQ(document["common"]["session_id"], report::SessionId());
    EXPECT_EQ(document["common"]["os"], "Linux");
    EXPECT_EQ(document["common"]["os_version"], report::ReportOsVersion());
    EXPECT_EQ(document["common"]["pid"], 4417);
    EXPECT_EQ(document["actions"][0]["event_type"], "event");
    EXPECT_TRUE(document["ts"].isIntegral());
}

TEST_F(WebLogTest, SoftDataReportResultIsTheStatusMinus200OrTheTransferError) {
    ASSERT_TRUE(collector.Started());
    WebLog service;
    const std::pair<int, int> cases[] = {{200, 0}, {204, 4}, {404, 204}, {500, 300}};
    for (const auto& [status, result] : cases) {
        collector.SetStatus("/collect", status);
        EXPECT_EQ(service.SoftDataReport("{}"), result) << status;
    }
    Endpoints::Instance().Set(endpoint::kCollectorProduction, "127.0.0.1:1");
    EXPECT_EQ(service.SoftDataReport("{}"), 7);  // CURLE_COULDNT_CONNECT
}

TEST_F(WebLogTest, ATestFileSwitchesToTheTestCollector) {
    ASSERT_TRUE(collector.Started());
    CollectorServer testCollector;
    ASSERT_TRUE(testCollector.Started());
    Endpoints::Instance().Set(endpoint::kCollectorTest, testCollector.Host());
    world.Env().WriteFile("work/test", "");
    WebLog service;
    EXPECT_EQ(service.SoftDataReport("{}"), 0);
    EXPECT_EQ(testCollector.RequestsTo("/collector").size(), 1u);
    EXPECT_TRUE(collector.Requests().empty());
}

TEST_F(WebLogTest, CreatingAndDestroyingTheExportedObjectSendsNothing) {
    ASSERT_TRUE(collector.Started());
    IWebLog* service = CreateExportObj();
    ASSERT_NE(service, nullptr);
    DestroyExportObj(service);
    EXPECT_TRUE(collector.Requests().empty());
}

}  // namespace
