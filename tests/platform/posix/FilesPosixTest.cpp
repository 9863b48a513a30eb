// Links and mode bits: what the files of Files.h refuse and how they are left.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;

TEST(ReplaceFileContents, NeverWritesThroughAPlantedLink) {
    cvdtest::TempEnv env;
    const fs::path victim = env.WriteFile("victim", "keep");
    const fs::path target = env.Root() / "visit.json";
    fs::create_symlink(victim, env.Root() / "visit.json.tmp");
    ASSERT_TRUE(platform::ReplaceFileContents(platform::Utf8ToWide(target.string()), "new"));
    EXPECT_EQ(cvdtest::ReadFile(victim), "keep");
    EXPECT_EQ(cvdtest::ReadFile(target), "new");
}

TEST(PrivateCopy, CopiesIntoAFreshFolderOnlyTheOwnerMayEnter) {
    cvdtest::TempEnv env;
    const fs::path package = env.WriteFile("work/setup.exe", "signed bytes");
    std::string error;
    const auto folder = platform::MakeFreshPrivateFolder(
        platform::Utf8ToWide(package.parent_path().string()), L"run-", error);
    ASSERT_TRUE(folder) << error;
    const fs::path made = platform::WideToUtf8(*folder);
    EXPECT_EQ(made.parent_path(), package.parent_path());
    EXPECT_TRUE(made.filename().string().starts_with("run-"));
    EXPECT_EQ(fs::symlink_status(made).permissions(), fs::perms::owner_all);
    const fs::path copy = made / "setup.exe";
    ASSERT_TRUE(platform::CopyFilePrivately(platform::Utf8ToWide(package.string()),
                                            platform::Utf8ToWide(copy.string()), error))
        << error;
    EXPECT_EQ(cvdtest::ReadFile(copy), "signed bytes");
    EXPECT_EQ(fs::status(copy).permissions(), fs::perms::owner_all);
}

TEST(PrivateCopy, NeitherCopiesFromALinkNorWritesOverAnythingThere) {
    cvdtest::TempEnv env;
    const fs::path real = env.WriteFile("real.exe", "real");
    const fs::path link = env.Root() / "link.exe";
    fs::create_symlink(real, link);
    const fs::path taken = env.WriteFile("taken.exe", "keep");
    std::string error;
    EXPECT_FALSE(platform::CopyFilePrivately(platform::Utf8ToWide(link.string()),
                                             platform::Utf8ToWide((env.Root() / "c1").string()),
                                             error));
    EXPECT_FALSE(fs::exists(env.Root() / "c1"));
    EXPECT_FALSE(platform::CopyFilePrivately(platform::Utf8ToWide(real.string()),
                                             platform::Utf8ToWide(taken.string()), error));
    EXPECT_EQ(cvdtest::ReadFile(taken), "keep");
    EXPECT_FALSE(platform::MakeFreshPrivateFolder(
        platform::Utf8ToWide((env.Root() / "missing").string()), L"run-", error));
}

}  // namespace
