#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;

TEST(ReplaceFileContents, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    cvdtest::TempEnv env;
    const fs::path target = env.WriteFile("state/visit.json", "old");
    ASSERT_TRUE(platform::ReplaceFileContents(platform::Utf8ToWide(target.string()), "new"));
    EXPECT_EQ(cvdtest::ReadFile(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
              1);
}

TEST(ReplaceFileContents, NeverWritesThroughAPlantedLink) {
    cvdtest::TempEnv env;
    const fs::path victim = env.WriteFile("victim", "keep");
    const fs::path target = env.Root() / "visit.json";
    fs::create_symlink(victim, env.Root() / "visit.json.tmp");
    ASSERT_TRUE(platform::ReplaceFileContents(platform::Utf8ToWide(target.string()), "new"));
    EXPECT_EQ(cvdtest::ReadFile(victim), "keep");
    EXPECT_EQ(cvdtest::ReadFile(target), "new");
}

TEST(ReplaceFileContents, AMissingFolderFailsAndChangesNothing) {
    cvdtest::TempEnv env;
    EXPECT_FALSE(platform::ReplaceFileContents(
        platform::Utf8ToWide((env.Root() / "missing/visit.json").string()), "new"));
    EXPECT_FALSE(fs::exists(env.Root() / "missing"));
}

}  // namespace
