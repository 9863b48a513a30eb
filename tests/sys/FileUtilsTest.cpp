#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "sys/FileUtils.h"
#include "sys/TextConvert.h"

namespace {

using namespace FuntionImpl;
namespace fs = std::filesystem;

class FindFileRecursiveTest : public ::testing::Test {
protected:
    std::wstring Root() const { return (env_.Root() / "tree").wstring(); }
    // Compared as paths: the search joins with the system's separator.
    fs::path Under(const std::string& relative) const {
        return env_.Root() / "tree" / fs::path(relative).make_preferred();
    }
    void Touch(const std::string& relative) const { env_.WriteFile("tree/" + relative, "x"); }

    cvdtest::TempEnv env_;
};

TEST_F(FindFileRecursiveTest, FindsAFileDirectlyInAFolderWithOrWithoutTheSeparator) {
    Touch("target.txt");
    EXPECT_EQ(fs::path(FindFileRecursive(Root(), L"target.txt")), Under("target.txt"));
    EXPECT_EQ(fs::path(FindFileRecursive(Root() + L"/", L"target.txt")), Under("target.txt"));
}

TEST_F(FindFileRecursiveTest, FindsAFileTwoLevelsDown) {
    Touch("one/two/target.txt");
    Touch("one/other.txt");
    EXPECT_EQ(fs::path(FindFileRecursive(Root(), L"target.txt")), Under("one/two/target.txt"));
}

TEST_F(FindFileRecursiveTest, TheFirstCandidateOfTheDepthFirstWalkWins) {
    Touch("a/deep/target.txt");
    Touch("b/target.txt");
    EXPECT_EQ(fs::path(FindFileRecursive(Root(), L"target.txt")), Under("a/deep/target.txt"));

    Touch("a/target.txt");
    EXPECT_EQ(fs::path(FindFileRecursive(Root(), L"target.txt")), Under("a/target.txt"));
}

TEST_F(FindFileRecursiveTest, FindsFoldersToo) {
    Touch("x/Data/inner.txt");
    EXPECT_EQ(fs::path(FindFileRecursive(Root(), L"Data")), Under("x/Data"));
}

TEST_F(FindFileRecursiveTest, MissingNameOrFolderGivesEmpty) {
    Touch("a/b/c.txt");
    EXPECT_EQ(FindFileRecursive(Root(), L"absent.txt"), L"");
    EXPECT_EQ(FindFileRecursive(Root() + L"/nowhere", L"c.txt"), L"");
    EXPECT_EQ(FindFileRecursive(Root(), L""), L"");
    EXPECT_EQ(FindFileRecursive(L"", L"c.txt"), L"");
}

TEST_F(FindFileRecursiveTest, DoesNotFollowALinkBackUpTheTree) {
    Touch("a/file.txt");
    std::error_code error;
    fs::create_directory_symlink(env_.Root() / "tree", env_.Root() / "tree" / "a" / "loop", error);
    if (error) GTEST_SKIP() << "no links can be made here (Windows grants the right to few)";
    EXPECT_EQ(FindFileRecursive(Root(), L"absent.txt"), L"");
}

TEST(GetFileSize32, SizeOfAReadableFileElseZero) {
    cvdtest::TempEnv env;
    const fs::path file = env.WriteFile("f.bin", "12345");
    EXPECT_EQ(GetFileSize32(Utf8ToUtf16(file.string())), 5u);
    EXPECT_EQ(GetFileSize32(Utf8ToUtf16((env.Root() / "missing").string())), 0u);
    EXPECT_EQ(GetFileSize32(Utf8ToUtf16(env.Root().string())), 0u);
}

TEST(GetFileSize32, KeepsTheLowThirtyTwoBits) {
    cvdtest::TempEnv env;
    const fs::path file = env.WriteFile("sparse.bin", "");
    fs::resize_file(file, (1ull << 32) + 7);
    EXPECT_EQ(GetFileSize32(Utf8ToUtf16(file.string())), 7u);
}

TEST(IsDirectory, TrueOnlyForExistingFolders) {
    cvdtest::TempEnv env;
    const fs::path file = env.WriteFile("dir/file.txt", "x");
    EXPECT_TRUE(IsDirectory(Utf8ToUtf16((env.Root() / "dir").string())));
    EXPECT_FALSE(IsDirectory(Utf8ToUtf16(file.string())));
    EXPECT_FALSE(IsDirectory(Utf8ToUtf16((env.Root() / "none").string())));
    EXPECT_FALSE(IsDirectory(L""));
}

TEST(GetTempFolder, IsTheUsersTemporaryFolderWithItsSeparator) {
    cvdtest::TempEnv env;
    const std::wstring folder = GetTempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), fs::path::preferred_separator);
    // Without its separator: the C runtime of Windows cannot examine a folder named with one.
    EXPECT_TRUE(fs::equivalent(fs::path(folder).parent_path(), env.Tmp())) << Utf16ToUtf8(folder);
}

}  // namespace
