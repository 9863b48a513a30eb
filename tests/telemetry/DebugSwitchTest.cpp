// Each test writes the debug settings file beside this executable and removes it again.
#include <gtest/gtest.h>

#include <fstream>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "config/CConfigure.h"
#include "sys/DebugSettings.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"

namespace {

using cvdtest::CollectorServer;
using cvdtest::QueryValue;

class DebugSwitchTest : public ::testing::Test {
protected:
    void Switch(const std::string& settings) {
        std::ofstream(file, std::ios::trunc) << "[Settings]\n" << settings;
    }
    ~DebugSwitchTest() override {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }

    std::filesystem::path file = FuntionImpl::Utf16ToUtf8(FuntionImpl::DebugSettingsPath());
    CollectorServer collector{{"--status", "/g/collect=204"}};
    cvdtest::TelemetryEnv world{collector.Host()};
};

TEST_F(DebugSwitchTest, NoGA4DropsGa4EventsOnly) {
    ASSERT_TRUE(collector.Started());
    Switch("NoGA4=1\n");
    CSingleUserLog log;
    EXPECT_TRUE(log.HasSenderThread());
    EXPECT_EQ(log.AddUserLog("Cat", "Act", ""), -99);
    EXPECT_EQ(log.AddUserLog("Cat", "Act", "", true), -99);
    EXPECT_EQ(log.AddUserLog_funnel("Cat", "Act", {}), 0);
    log.WaitThreadForExit();
    EXPECT_TRUE(collector.RequestsTo("/g/collect").empty());
    EXPECT_EQ(collector.RequestsTo("/collect").size(), 1u);
}

TEST_F(DebugSwitchTest, NoBigDataDropsFunnelEventsOnly) {
    ASSERT_TRUE(collector.Started());
    Switch("NoBigData=1\n");
    CSingleUserLog log;
    EXPECT_EQ(log.AddUserLog_funnel("Cat", "Act", "k", "v", true), -99);
    EXPECT_EQ(log.AddUserLog("Cat", "Act", ""), 0);
    log.WaitThreadForExit();
    EXPECT_TRUE(collector.RequestsTo("/collect").empty());
    EXPECT_EQ(collector.RequestsTo("/g/collect").size(), 1u);
}

TEST_F(DebugSwitchTest, BothSwitchesMeanNoSenderThread) {
    Switch("NoGA4=1\nNoBigData=1\n");
    CSingleUserLog log;
    EXPECT_FALSE(log.HasSenderThread());
    EXPECT_TRUE(log.WaitThreadForExit());
}

TEST_F(DebugSwitchTest, SwitchesAreReadAtEveryCall) {
    ASSERT_TRUE(collector.Started());
    CSingleUserLog log;
    EXPECT_EQ(log.AddUserLog("Cat", "Before", ""), 0);
    Switch("NoGA4=1\n");
    EXPECT_EQ(log.AddUserLog("Cat", "During", ""), -99);
    // Switched off by rewriting the file: a removed file may still be read where the sender
    // thread holds it open (Wine lets a file pending deletion be opened again).
    Switch("NoGA4=0\n");
    EXPECT_EQ(log.AddUserLog("Cat", "After", ""), 0);
    log.WaitThreadForExit();
    EXPECT_EQ(collector.RequestsTo("/g/collect").size(), 2u);
}

TEST_F(DebugSwitchTest, GATestAccountOverridesDepartmentTwo) {
    ASSERT_TRUE(collector.Started());
    CConfigure::Instance().Department = 2;
    CSingleUserLog log;
    EXPECT_EQ(log.AddUserLog("Cat", "Production", "", true), 0);
    Switch("GATestAccount=1\n");
    EXPECT_EQ(log.AddUserLog("Cat", "Test", "", true), 0);
    log.WaitThreadForExit();
    const auto hits = collector.RequestsTo("/g/collect");
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(QueryValue(hits[0]["query"].asString(), "tid"), "G-H8RN3VB5LT");
    EXPECT_EQ(QueryValue(hits[1]["query"].asString(), "tid"), "G-P2WJ9C6FYK");
}

}  // namespace
