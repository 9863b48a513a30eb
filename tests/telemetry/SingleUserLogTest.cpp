#include <gtest/gtest.h>
#include <json/json.h>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "config/CConfigure.h"
#include "telemetry/Ga4Hit.h"
#include "telemetry/ReportIdentity.h"
#include "telemetry/SingleUserLog.h"
#include "telemetry/UserLogFacts.h"

namespace {

using cvdtest::CollectorServer;
using cvdtest::ParseJson;
using cvdtest::QueryValue;

std::size_t CountOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class SingleUserLogTest : public ::testing::Test {
protected:
    SingleUserLogTest() {
        CConfigure::Instance().SetSoftware_version(L"3.2.1");
        CConfigure::Instance().SetLanguageIndex(2);
    }

    std::unique_ptr<CSingleUserLog> Start() {
        auto log = std::make_unique<CSingleUserLog>();
        log->SetUserLogInfo(17, 61, "Zorvik Video Converter",
                            "https://cdn.example/Zorvik_Online_setup.exe", false, 4417);
        return log;
    }

    CollectorServer collector{{"--status", "/g/collect=204"}};
    cvdtest::TelemetryEnv world{collector.Host()};
};

TEST_F(SingleUserLogTest, AQueuedGa4EventArrivesAsACollectPostWithAllDimensions) {
    ASSERT_TRUE(collector.Started());
    auto log = Start();
    EXPECT_EQ(log->AddUserLog("Install Page", "8-2.ClickInstallLink", "First/Retry"), 0);
    log->WaitThreadForExit();

    const auto hits = collector.RequestsTo("/g/collect");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0]["method"], "POST");
    const std::string query = hits[0]["query"].asString();
    const UserLogFacts facts = GatherUserLogFacts();
    const std::pair<const char*, std::string> expected[] = {
        {"v", "2"},
        {"cid", ga4::ClientId()},
        {"tid", "G-Q4ZK7M2XWD"},
        {"ep.cv_productname", "Downloader"},
        {"ep.cv_productversion", facts.ownVersion},
        {"ep.cv_category", "Install%20Page"},
        {"ep.cv_action", "8-2.ClickInstallLink"},
        {"ep.cv_label", "First%2fRetry"},
        {"en", "8-2.ClickInstallLink"},
        {"ep.cd1", facts.ownVersion},
        {"ep.cd2", "SEO"},
        {"ep.cd3", "ZorvikOnline"},
        {"ep.cd4", "Zorvik%20Video%20Converter"},
        {"ep.cd5", ga4::PercentEncode(facts.regionName)},
        {"ep.cd6", ga4::PercentEncode(facts.languageName)},
        {"ep.cd7", ga4::PercentEncode(facts.osDescription)},
        {"ep.cd8", "1"},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(QueryValue(query, name), value) << name;
    EXPECT_EQ(cvdtest::QueryPairs(query).size(), std::size(expected));
}

TEST_F(SingleUserLogTest, AFunnelEventArrivesAsTheCollectorDocumentAndIsNewOnlyOnTheFirstStart) {
    ASSERT_TRUE(collector.Started());
    auto first = Start();
    EXPECT_EQ(
        first->AddUserLog_funnel("DownFail", "ClickInstallLink", "ClickInstallLinkType", "First"),
        0);
    first->WaitThreadForExit();
    auto second = Start();  // the same day
    EXPECT_EQ(second->AddUserLog_funnel("StartDownloader", "Open", "", ""), 0);
    second->WaitThreadForExit();

    const auto reports = collector.RequestsTo("/collect");
    ASSERT_EQ(reports.size(), 2u);
    const Json::Value document = ParseJson(reports[0]["body"].asString());
    const Json::Value& common = document["common"];
    EXPECT_EQ(common["is_new"], 1);
    EXPECT_EQ(common["mac"], "");
    EXPECT_EQ(common["os"], "Linux");
    EXPECT_EQ(common["os_version"], report::ReportOsVersion());
    EXPECT_EQ(common["uid"], report::MachineUid());
    EXPECT_EQ(common["product"], "Zorvik Video Converter");
    EXPECT_EQ(common["product_version"], "3.2.1");
    EXPECT_EQ(common["tools_lang"], "zh-cn");
    EXPECT_EQ(common["pid"], 4417);
    ASSERT_EQ(document["actions"].size(), 1u);
    const Json::Value& action = document["actions"][0];
    EXPECT_EQ(action.getMemberNames(),
              (std::vector<std::string>{"ClickInstallLinkType", "event_action", "event_category",
                                        "event_type"}));
    EXPECT_EQ(action["ClickInstallLinkType"], "First");

    const Json::Value later = ParseJson(reports[1]["body"].asString());
    EXPECT_EQ(later["common"]["is_new"], 0);
    EXPECT_EQ(later["actions"][0].size(), 3u);  // the empty key added no property

    const Json::Value visits =
        ParseJson(cvdtest::ReadFile(world.Env().Cache() / "CVDownloader" / "galog.json"));
    EXPECT_EQ(visits["version"], GatherUserLogFacts().ownVersion);
}

TEST_F(SingleUserLogTest, AWaitedFunnelEventCountsCollector204AsFailureAnd200AsSuccess) {
    ASSERT_TRUE(collector.Started());
    auto log = Start();
    collector.SetStatus("/collect", 204);
    EXPECT_EQ(log->AddUserLog_funnel("DownFail", "ClickInstallLink", {}, true), 4);
    EXPECT_EQ(collector.RequestsTo("/collect").size(), 3u);
    EXPECT_NE(world.LogText().find("send funnel fail, bWait = true, retry is max, retcode = 4, "
                                   "DownFail###ClickInstallLink"),
              std::string::npos);

    collector.SetStatus("/collect", 200);
    EXPECT_EQ(log->AddUserLog_funnel("DownFail", "ClickInstallLink", {}, true), 0);
    EXPECT_EQ(collector.RequestsTo("/collect").size(), 4u);
    log->WaitThreadForExit();
}

TEST_F(SingleUserLogTest, AWaitedGa4EventIsTriedThreeTimesBackToBack) {
    ASSERT_TRUE(collector.Started());
    auto log = Start();
    collector.SetStatus("/g/collect", 200);  // only 204 is success
    EXPECT_EQ(log->AddUserLog("Other", "Retry", "", true), -1);
    EXPECT_EQ(collector.RequestsTo("/g/collect").size(), 3u);
    EXPECT_NE(world.LogText().find(
                  "send ga4 fail, bWait = true, retry is max, retcode = -1, Other###Retry"),
              std::string::npos);
    collector.SetStatus("/g/collect", 204);
    EXPECT_EQ(log->AddUserLog("Other", "Retry", "", true), 0);
    log->WaitThreadForExit();
}

TEST_F(SingleUserLogTest, AnAlwaysFailingEndpointSeesEachQueuedEventFourTimes) {
    ASSERT_TRUE(collector.Started());
    collector.SetStatus("/g/collect", 500);
    collector.SetStatus("/collect", 500);
    auto log = Start();
    log->AddUserLog("Cat", "First", "");
    log->AddUserLog("Cat", "Second", "");
    log->AddUserLog_funnel("Cat", "Funnel", {});
    log->WaitThreadForExit();

    std::map<std::string, int> attempts;
    const auto hits = collector.RequestsTo("/g/collect");
    for (const Json::Value& hit : hits) ++attempts[QueryValue(hit["query"].asString(), "en")];
    EXPECT_EQ(attempts, (std::map<std::string, int>{{"First", 4}, {"Second", 4}}));
    // A failed event goes behind the newer one.
    ASSERT_GE(hits.size(), 3u);
    EXPECT_EQ(QueryValue(hits[1]["query"].asString(), "en"), "Second");
    EXPECT_EQ(QueryValue(hits[2]["query"].asString(), "en"), "First");
    EXPECT_EQ(collector.RequestsTo("/collect").size(), 4u);

    const std::string logText = world.LogText();
    EXPECT_EQ(
        CountOf(logText, "send ga4 fail in ga4 queue, retry is max, retcode = -1, Cat###First"),
        2u);
    EXPECT_EQ(
        CountOf(logText, "send ga4 fail in ga4 queue, retry is max, retcode = -1, Cat###Second"),
        2u);
    EXPECT_EQ(
        CountOf(logText, "send funnel fail in funnel queue, retry is max, retcode = 300, ###"), 2u);
}

TEST_F(SingleUserLogTest, EventsQueuedJustBeforeShutDownAreDeliveredBeforeItReturns) {
    ASSERT_TRUE(collector.Started());
    auto log = Start();
    for (int i = 0; i < 5; ++i) {
        log->AddUserLog("Close", "Event" + std::to_string(i), "");
        log->AddUserLog_funnel("CloseDownloader", "Event" + std::to_string(i), "WaitTime",
                               CSingleUserLog::BucketLabel(i, 3, "s"));
    }
    EXPECT_TRUE(log->WaitThreadForExit());
    EXPECT_EQ(collector.RequestsTo("/g/collect").size(), 5u);
    const auto reports = collector.RequestsTo("/collect");
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_EQ(ParseJson(reports[4]["body"].asString())["actions"][0]["WaitTime"], "[3~6]s");
}

// The collector holds the first hit's connection: the sender is stuck on the wire, and callers
// that queue events must still return at once.
TEST_F(SingleUserLogTest, QueuingNeverWaitsForTheNetwork) {
    ASSERT_TRUE(collector.Started());
    collector.Control("/__hold?path=/g/collect");
    auto log = Start();
    EXPECT_EQ(log->AddUserLog("Cat", "Held", ""), 0);
    ASSERT_TRUE(collector.WaitForRequests("/g/collect", 1));

    EXPECT_EQ(log->AddUserLog("Cat", "WhileHeld", ""), 0);
    EXPECT_EQ(log->AddUserLog_funnel("Cat", "WhileHeld", "k", "v"), 0);
    const auto held = collector.RequestsTo("/g/collect");
    ASSERT_EQ(held.size(), 1u);
    EXPECT_FALSE(held[0]["answered"].asBool());  // the server still holds the connection

    collector.Control("/__release");
    log->WaitThreadForExit();
    EXPECT_EQ(collector.RequestsTo("/g/collect").size(), 2u);
    EXPECT_EQ(collector.RequestsTo("/collect").size(), 1u);
}

TEST_F(SingleUserLogTest, DestroyingWithoutShutDownDropsWhatIsQueued) {
    ASSERT_TRUE(collector.Started());
    collector.SetStatus("/g/collect", 500);
    {
        auto log = Start();
        for (int i = 0; i < 20; ++i) log->AddUserLog("Cat", "Dropped", "");
    }
    // The sender thread outlives the object safely and gives up on the rest; a fresh sender
    // still works.
    auto log = Start();
    collector.SetStatus("/g/collect", 204);
    EXPECT_EQ(log->AddUserLog("Cat", "After", "", true), 0);
    log->WaitThreadForExit();
    EXPECT_LT(collector.RequestsTo("/g/collect").size(), 80u);
}

}  // namespace
