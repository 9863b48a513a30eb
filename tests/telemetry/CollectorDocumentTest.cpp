#include <gtest/gtest.h>
#include <json/json.h>

#include "CollectorServer.h"
#include "telemetry/CollectorDocument.h"
#include "telemetry/FunnelDocument.h"
#include "telemetry/ReportIdentity.h"

namespace {

using cvdtest::ParseJson;

CollectorIdentity Identity() {
    return CollectorIdentity{"0123abcd", "SESSION1", "Linux", "Debian GNU/Linux 12 x64",
                             1709647629042};
}

TEST(CollectorDocument, WrapsAFunnelDocumentIntoCommonActionsAndTimestamp) {
    FunnelFacts facts;
    facts.isNew = 1;
    facts.productName = "Zorvik";
    facts.mainPid = 4417;
    facts.sourceTag = "gg";
    const Json::Value funnel =
        ParseJson(BuildFunnelDocument(facts, {"DownFail", "ClickInstallLink", {}, false}));
    const Json::Value document = BuildCollectorDocument(funnel, Identity());

    EXPECT_EQ(document.getMemberNames(), (std::vector<std::string>{"actions", "common", "ts"}));
    EXPECT_EQ(document["actions"], funnel["actions"]);
    EXPECT_TRUE(document["ts"].isInt64());
    EXPECT_EQ(document["ts"].asInt64(), 1709647629042);
    const Json::Value& common = document["common"];
    EXPECT_EQ(common["uid"], "0123abcd");
    EXPECT_EQ(common["session_id"], "SESSION1");
    EXPECT_EQ(common["pid"], 4417);
    EXPECT_EQ(common["is_new"], 1);
    EXPECT_TRUE(common["is_new"].isInt());
    EXPECT_EQ(common["brand"], "PC");
    EXPECT_EQ(common["channel"], "");
    EXPECT_EQ(common["mac"], "");
    EXPECT_EQ(common["os"], "Linux");
    EXPECT_EQ(common["os_version"], "Debian GNU/Linux 12 x64");
    EXPECT_EQ(common["product"], "Zorvik");
    EXPECT_EQ(common["cross_end_id"], "gg");
    EXPECT_EQ(common["source_type"], "downloader");
    EXPECT_TRUE(common["is_vip"].isNull());
    EXPECT_TRUE(common["user_id"].isNull());
    EXPECT_EQ(common["kit_type"], 0);
    EXPECT_EQ(common.size(), 23u);
}

TEST(CollectorDocument, AnUnparsableFunnelDocumentGivesEveryDefault) {
    const Json::Value document = BuildCollectorDocument(ParseJson("not json"), Identity());
    const Json::Value& common = document["common"];
    EXPECT_EQ(common["pid"], 0);
    EXPECT_EQ(common["is_new"], 0);
    EXPECT_EQ(common["brand"], "");
    EXPECT_EQ(common["kit_type"], "");
    EXPECT_TRUE(common["rnclid"].isNull());
    EXPECT_TRUE(document["actions"].isNull());
    EXPECT_FALSE(document.isMember("start"));
    EXPECT_FALSE(document.isMember("monitor"));
}

TEST(CollectorDocument, StartAndMonitorOnlyWhenTheFunnelHasThem) {
    Json::Value funnel(Json::objectValue);
    funnel["entry"] = "desktop";
    funnel["monitor_type"] = "crash";
    funnel["monitor_guid"] = "G";
    funnel["monitor_error_time"] = Json::Int64(1700000000000);
    funnel["monitor_main_pid"] = 7;
    funnel["monitor_ext1"] = "x";
    const Json::Value document = BuildCollectorDocument(funnel, Identity());
    EXPECT_EQ(document["start"]["entry"], "desktop");
    const Json::Value& monitor = document["monitor"];
    EXPECT_EQ(monitor["monitor_type"], "crash");
    EXPECT_EQ(monitor["guid"], "G");
    EXPECT_EQ(monitor["param"]["start_time"].asInt64(), 0);
    EXPECT_EQ(monitor["param"]["error_time"].asInt64(), 1700000000000);
    EXPECT_EQ(monitor["param"]["line_id"], 0);
    EXPECT_EQ(monitor["param"]["error_code"], "");
    EXPECT_EQ(monitor["param"]["user_ext"], "");
    EXPECT_EQ(monitor["param"]["ext"]["parent_pid"], 7);
    EXPECT_EQ(monitor["param"]["ext"]["pid"], 0);
    EXPECT_EQ(monitor["param"]["ext"]["ext_others"], "x");
}

TEST(ReportIdentity, UidSessionIdAndTimestampHaveTheirFormats) {
    EXPECT_EQ(report::MachineUidOf("0f1e2d3c4b5a69788796a5b4c3d2e1f0"),
              "2cca6779558996f81297797fa96d4c80");
    EXPECT_EQ(report::MachineUidOf(""), "");
    const std::string session = report::NewSessionId();
    ASSERT_EQ(session.size(), 32u);
    EXPECT_EQ(session.find_first_not_of("0123456789ABCDEFabcdef"), std::string::npos);
    // Data3 is printed in lowercase, everything else in uppercase.
    EXPECT_EQ(session.substr(0, 12).find_first_of("abcdef"), std::string::npos);
    EXPECT_EQ(session.substr(16).find_first_of("abcdef"), std::string::npos);
    EXPECT_EQ(report::SessionId(), report::SessionId());
    EXPECT_GT(report::LocalTimestampMs(), 1700000000000);
}

}  // namespace
