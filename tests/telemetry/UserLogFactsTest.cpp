#include <gtest/gtest.h>

#include <filesystem>

#include "telemetry/UserLogFacts.h"

namespace {

TEST(SourceTagOf, IsTheTextAfterTheLastUnderscoreUpToAnExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/x/ZorvikSetup_gg123.exe", "gg123"},
        {"C:\\dl\\Zorvik_a_b.exe", "b"},
        {"Zorvik_online.x.exe", "online.x"},
        {"/usr/bin/cvdownloader", ""},
        {"/tmp/cvd_tag", "tag"},           // no extension: to the end of the name
        {"/tmp/zorvik.v2_tag", "tag"},     // the dot comes before the underscore
        {"/opt/x/ZorvikSetup_", ""},
        {"/tmp/dir_x/cvdownloader.bin", ""},
    };
    for (const auto& [path, tag] : cases) EXPECT_EQ(SourceTagOf(path), tag) << path;
}

TEST(SplitLanguageName, SplitsAtTheFirstUnderscoreOrGivesUnknown) {
    std::string language, region;
    SplitLanguageName("Chinese_Taiwan", language, region);
    EXPECT_EQ(language, "Chinese");
    EXPECT_EQ(region, "Taiwan");
    SplitLanguageName("0x0409_0x0409_x", language, region);
    EXPECT_EQ(language, "0x0409");
    EXPECT_EQ(region, "0x0409_x");
    SplitLanguageName("English", language, region);
    EXPECT_EQ(language, "Unknown");
    EXPECT_EQ(region, "Unknown");
}

TEST(GatherUserLogFacts, DescribesThisInstallerAndMachine) {
    const UserLogFacts facts = GatherUserLogFacts();
    EXPECT_FALSE(facts.ownVersion.empty());
    const std::string& os = facts.osDescription;
    EXPECT_TRUE(os.ends_with(" 64bit") || os.ends_with(" 32bit")) << os;
    ASSERT_FALSE(facts.tempFolder.empty());
    EXPECT_EQ(facts.tempFolder.back(), std::filesystem::path::preferred_separator)
        << facts.tempFolder;
}

}  // namespace
