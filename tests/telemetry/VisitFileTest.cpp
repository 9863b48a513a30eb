#include <gtest/gtest.h>
#include <json/json.h>

#include "CollectorServer.h"
#include "TempEnv.h"
#include "telemetry/VisitFile.h"

namespace {

using cvdtest::ParseJson;
using cvdtest::ReadFile;

class VisitFileTest : public ::testing::Test {
protected:
    cvdtest::TempEnv env;
    std::filesystem::path path = env.Root() / "galog.json";
    VisitFile file{path.wstring()};
    LocalDate today{2024, 3, 5};
};

TEST_F(VisitFileTest, FirstStartIsNewAndRecordsTheDate) {
    EXPECT_EQ(file.UpdateIsNew(today), 1);
    const Json::Value stored = ParseJson(ReadFile(path));
    EXPECT_EQ(stored["year"], 2024);
    EXPECT_EQ(stored["month"], 3);
    EXPECT_EQ(stored["day"], 5);
    EXPECT_EQ(file.UpdateIsNew(today), 0);
}

TEST_F(VisitFileTest, AnotherDayIsNewAndKeepsTheOtherMembers) {
    env.WriteFile("galog.json", R"({"year":2024,"month":3,"day":4,"version":"1.0.0.1"})");
    EXPECT_EQ(file.UpdateIsNew(today), 1);
    const Json::Value stored = ParseJson(ReadFile(path));
    EXPECT_EQ(stored["day"], 5);
    EXPECT_EQ(stored["version"], "1.0.0.1");
}

TEST_F(VisitFileTest, AMalformedFileCountsAsNotToday) {
    env.WriteFile("galog.json", "{broken");
    EXPECT_EQ(file.UpdateIsNew(today), 1);
    EXPECT_EQ(file.UpdateIsNew(today), 0);
}

TEST_F(VisitFileTest, VersionIsAddedWhenMissingAndNeverOverwritten) {
    file.RecordVersion("1.0.0.7");
    EXPECT_EQ(ParseJson(ReadFile(path))["version"], "1.0.0.7");

    env.WriteFile("galog.json", R"({"year":2024,"month":3,"day":5})");
    file.RecordVersion("1.0.0.7");
    Json::Value stored = ParseJson(ReadFile(path));
    EXPECT_EQ(stored["version"], "1.0.0.7");
    EXPECT_EQ(stored["day"], 5);

    file.RecordVersion("2.0.0.0");
    EXPECT_EQ(ParseJson(ReadFile(path))["version"], "1.0.0.7");
}

TEST_F(VisitFileTest, LiesInTheUsersCacheFolderNotInTheSharedTemporaryFolder) {
    EXPECT_EQ(VisitFile::ForThisUser().Path(), (env.Cache() / "CVDownloader" / "galog.json").wstring());
    EXPECT_EQ(VisitFile::ForThisUser().UpdateIsNew(today), 1);
    EXPECT_TRUE(std::filesystem::exists(env.Cache() / "CVDownloader/galog.json"));
    EXPECT_FALSE(std::filesystem::exists(env.Tmp() / "galog.json"));
}

TEST_F(VisitFileTest, ALinkPlantedAtTheTemporaryNameIsNotFollowed) {
    const auto victim = env.WriteFile("victim.txt", "keep me");
    std::error_code error;
    std::filesystem::create_symlink(victim, path.string() + ".tmp", error);
    if (error) GTEST_SKIP() << "no links can be made here (Windows grants the right to few)";
    EXPECT_EQ(file.UpdateIsNew(today), 1);
    EXPECT_EQ(ReadFile(victim), "keep me");
    EXPECT_EQ(ParseJson(ReadFile(path))["day"], 5);
    EXPECT_TRUE(std::filesystem::is_symlink(path.string() + ".tmp"));
    const auto permissions = std::filesystem::status(path).permissions();
    EXPECT_EQ(permissions & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
