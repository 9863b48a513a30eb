#include <gtest/gtest.h>
#include <json/json.h>

#include "CollectorServer.h"
#include "telemetry/FunnelDocument.h"

namespace {

using cvdtest::ParseJson;

FunnelFacts Facts() {
    FunnelFacts facts;
    facts.isNew = 1;
    facts.productName = "Zorvik Video Converter";
    facts.productVersion = "3.2.1";
    facts.sourceTag = "gg123";
    facts.ownVersion = "1.0.0.7";
    facts.languageIndex = 10;
    facts.isToolkit = false;
    facts.mainPid = 4417;
    return facts;
}

std::vector<std::string> Members(const Json::Value& object) { return object.getMemberNames(); }

TEST(FunnelDocument, CarriesTheProductFactsAndOneAction) {
    const std::string text = BuildFunnelDocument(
        Facts(), {"DownFail", "ClickInstallLink", {{"ClickInstallLinkType", "First"}}, false});
    const Json::Value document = ParseJson(text);
    EXPECT_EQ(text, document.toStyledString());  // printed in JsonCpp's styled form
    EXPECT_EQ(
        Members(document),
        (std::vector<std::string>{"actions", "brand", "cross_end_id", "email", "is_new", "kit_type",
                                  "model", "phone", "pid", "product", "product_version", "rnclid",
                                  "source_type", "tools_lang", "tools_version"}));
    EXPECT_EQ(document["is_new"], 1);
    EXPECT_EQ(document["brand"], "PC");
    EXPECT_EQ(document["model"], "PC");
    EXPECT_EQ(document["product"], "Zorvik Video Converter");
    EXPECT_EQ(document["product_version"], "3.2.1");
    EXPECT_EQ(document["email"], "");
    EXPECT_EQ(document["phone"], "");
    EXPECT_EQ(document["cross_end_id"], "gg123");
    EXPECT_EQ(document["rnclid"], "gg123");
    EXPECT_EQ(document["source_type"], "downloader");
    EXPECT_EQ(document["tools_version"], "1.0.0.7");
    EXPECT_EQ(document["tools_lang"], "zh-tw");
    EXPECT_EQ(document["kit_type"], 0);
    EXPECT_EQ(document["pid"], 4417);

    ASSERT_EQ(document["actions"].size(), 1u);
    const Json::Value& action = document["actions"][0];
    EXPECT_EQ(Members(action), (std::vector<std::string>{"ClickInstallLinkType", "event_action",
                                                         "event_category", "event_type"}));
    EXPECT_EQ(action["event_type"], "event");
    EXPECT_EQ(action["event_category"], "DownFail");
    EXPECT_EQ(action["event_action"], "ClickInstallLink");
    EXPECT_EQ(action["ClickInstallLinkType"], "First");
}

TEST(FunnelDocument, EmptyKeysAreSkippedAndReservedNamesReplaceTheirMember) {
    const Json::Value action = ParseJson(BuildFunnelDocument(
        Facts(), {"Cat",
                  "Act",
                  {{"", "lost"}, {"event_type", "custom"}, {"WaitTime", "[0~3]s"}},
                  false}))["actions"][0];
    EXPECT_EQ(Members(action), (std::vector<std::string>{"WaitTime", "event_action",
                                                         "event_category", "event_type"}));
    EXPECT_EQ(action["event_type"], "custom");
}

TEST(FunnelDocument, KitTypeAndLanguageCode) {
    struct Case {
        bool subProgram;
        bool isToolkit;
        int languageIndex;
        int kitType;
        const char* lang;
    };
    const Case cases[] = {
        {false, false, 0, 0, "en"},
        {false, true, 2, 1, "zh-cn"},
        {true, false, 19, 2, "cz"},
        {true, true, 25, 2, "en"},
    };
    for (const Case& c : cases) {
        FunnelFacts facts = Facts();
        facts.isToolkit = c.isToolkit;
        facts.languageIndex = c.languageIndex;
        const Json::Value document =
            ParseJson(BuildFunnelDocument(facts, {"Cat", "Act", {}, c.subProgram}));
        EXPECT_EQ(document["kit_type"], c.kitType) << c.subProgram << c.isToolkit;
        EXPECT_EQ(document["tools_lang"], c.lang) << c.languageIndex;
    }
}

}  // namespace
