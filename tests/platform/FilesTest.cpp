#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/Files.h"
#include "platform/FsPath.h"

namespace {

namespace fs = std::filesystem;

TEST(ReplaceFileContents, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    cvdtest::TempEnv env;
    const fs::path target = env.WriteFile("state/visit.json", "old");
    ASSERT_TRUE(platform::ReplaceFileContents(platform::WidePath(target), "new"));
    EXPECT_EQ(cvdtest::ReadFile(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
              1);
}

TEST(ReplaceFileContents, AMissingFolderFailsAndChangesNothing) {
    cvdtest::TempEnv env;
    EXPECT_FALSE(platform::ReplaceFileContents(
        platform::WidePath(env.Root() / "missing/visit.json"), "new"));
    EXPECT_FALSE(fs::exists(env.Root() / "missing"));
}

TEST(PrivateCopy, CopiesIntoAFreshFolderAndNeverOverAnythingThere) {
    cvdtest::TempEnv env;
    const fs::path package = env.WriteFile("work/setup.exe", "signed bytes");
    std::string error;
    const auto folder =
        platform::MakeFreshPrivateFolder(platform::WidePath(package.parent_path()), L"run-", error);
    ASSERT_TRUE(folder) << error;
    const fs::path made = platform::FsPath(*folder);
    EXPECT_EQ(made.parent_path(), package.parent_path());
    EXPECT_TRUE(made.filename().wstring().starts_with(L"run-"));
    EXPECT_TRUE(fs::is_directory(made));
    const fs::path copy = made / "setup.exe";
    ASSERT_TRUE(
        platform::CopyFilePrivately(platform::WidePath(package), platform::WidePath(copy), error))
        << error;
    EXPECT_EQ(cvdtest::ReadFile(copy), "signed bytes");
    const fs::path taken = env.WriteFile("taken.exe", "keep");
    EXPECT_FALSE(
        platform::CopyFilePrivately(platform::WidePath(package), platform::WidePath(taken), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(cvdtest::ReadFile(taken), "keep");
    EXPECT_FALSE(platform::MakeFreshPrivateFolder(platform::WidePath(env.Root() / "missing"),
                                                  L"run-", error));
    EXPECT_FALSE(platform::CopyFilePrivately(platform::WidePath(env.Root() / "missing.exe"),
                                             platform::WidePath(made / "other.exe"), error));
    EXPECT_FALSE(fs::exists(made / "other.exe"));
}

}  // namespace
