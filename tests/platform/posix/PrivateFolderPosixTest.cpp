// The folder of lock files and activation sockets: a folder only this user can change, found at
// the same place by every process of the user; candidates that another user could change are
// passed over, never used.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "PrivateFolder.h"
#include "TempEnv.h"
#include "platform/NamedMutex.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using platform::posix::ChoosePrivateFolder;
using platform::posix::FolderRefusal;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return 0;
    return info.st_mode & 07777;
}

fs::path MakeFolder(const fs::path& path, mode_t mode) {
    fs::create_directories(path);
    ::chmod(path.c_str(), mode);
    return path;
}

TEST(PrivateFolder, AMissingCandidateIsMadeForThisUserAloneAndFoundAgain) {
    cvdtest::TempEnv env;
    const std::string fresh = (env.Root() / "fresh-XXXXXX").string();
    for (const fs::path& folder :
         {env.Root() / "locks", MakeFolder(env.Root() / "sticky", 01777) / "locks"}) {
        SCOPED_TRACE(folder);
        const auto first = ChoosePrivateFolder({folder.string()}, fresh);
        EXPECT_EQ(first.folder, folder.string() + "/");
        EXPECT_TRUE(first.refused.empty());
        EXPECT_FALSE(first.fresh);
        EXPECT_EQ(ModeOf(folder), 0700u);
        EXPECT_EQ(ChoosePrivateFolder({folder.string()}, fresh).folder, first.folder);
    }
}

TEST(PrivateFolder, CandidatesOthersCouldChangeArePassedOverInOrder) {
    cvdtest::TempEnv env;
    const fs::path root = env.Root();
    fs::create_directory_symlink(MakeFolder(root / "real", 0700), root / "link");
    const fs::path unsafeParent = MakeFolder(root / "shared", 0777) / "locks";
    const std::vector<std::pair<fs::path, FolderRefusal>> refusedRows = {
        {root / "link", FolderRefusal::NotAFolder},
        {env.WriteFile("file", "x"), FolderRefusal::NotAFolder},
        {MakeFolder(root / "readable", 0755), FolderRefusal::OpenToOthers},
        {MakeFolder(root / "writable", 0777), FolderRefusal::OpenToOthers},
        {unsafeParent, FolderRefusal::UnsafeParent},
    };
    // Kept private by its owner; only its owner bits were short, so they are completed.
    const fs::path narrow = MakeFolder(root / "narrow", 0500);
    std::vector<std::string> candidates;
    for (const auto& row : refusedRows) candidates.push_back(row.first.string());
    candidates.push_back(narrow.string());

    const auto choice = ChoosePrivateFolder(candidates, (root / "fresh-XXXXXX").string());
    EXPECT_EQ(choice.folder, narrow.string() + "/");
    EXPECT_FALSE(choice.fresh);
    EXPECT_EQ(ModeOf(narrow), 0700u);
    ASSERT_EQ(choice.refused.size(), refusedRows.size());
    for (std::size_t i = 0; i < refusedRows.size(); ++i) {
        EXPECT_EQ(choice.refused[i].first, refusedRows[i].first.string());
        EXPECT_EQ(choice.refused[i].second, refusedRows[i].second) << refusedRows[i].first;
    }
    EXPECT_FALSE(fs::exists(unsafeParent)) << "nothing is made where another user could swap it";
    EXPECT_EQ(ModeOf(root / "writable"), 0777u) << "a refused folder is left as it was";
}

TEST(PrivateFolder, WhenEveryCandidateIsRefusedTheProcessGetsAFreshFolderOfItsOwn) {
    cvdtest::TempEnv env;
    const std::string taken = MakeFolder(env.Root() / "taken", 0777).string();
    const std::string fresh = (env.Root() / "fresh-XXXXXX").string();
    const auto choice = ChoosePrivateFolder({taken}, fresh);
    EXPECT_TRUE(choice.fresh);
    ASSERT_EQ(choice.refused.size(), 1u);
    ASSERT_EQ(choice.folder.rfind((env.Root() / "fresh-").string(), 0), 0u) << choice.folder;
    EXPECT_EQ(ModeOf(choice.folder), 0700u);
    EXPECT_EQ(ChoosePrivateFolder({taken}, fresh).folder, choice.folder) << "kept for the process";
}

TEST(RuntimeFolder, ALinkWhereALockFileGoesIsNeverFollowed) {
    cvdtest::TempEnv env;
    const fs::path folder = platform::WideToUtf8(platform::RuntimeFolder());
    const fs::path target = env.Root() / "made-through-the-link";
    fs::create_symlink(target, folder / "UserLogGA4Mutex.lock");
    platform::NamedMutex mutex(L"UserLogGA4Mutex");
    EXPECT_TRUE(mutex.Lock(0));  // this process's threads are still kept apart
    mutex.Unlock();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::is_symlink(folder / "UserLogGA4Mutex.lock"));
}

}  // namespace
