// Whether other users can change what a folder path names: each folder on the way, as written
// and with links resolved.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/FolderSafety.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using fs::perms;

constexpr perms kShared =
    perms::owner_all | perms::group_all | perms::others_read | perms::others_exec;  // 0775
constexpr perms kPublic = perms::all;                                               // 0777
constexpr perms kSticky = perms::all | perms::sticky_bit;                           // 1777
constexpr perms kPlain = perms::owner_all | perms::group_read | perms::group_exec |
                         perms::others_read | perms::others_exec;  // 0755

bool Safe(const fs::path& folder) {
    return platform::IsPathSafeFromOthers(platform::Utf8ToWide(folder.string()));
}

TEST(FolderSafety, EveryFolderOnTheWayCounts) {
    struct Row {
        const char* name;
        perms above;   // the folder above the work folder
        perms folder;  // the work folder itself
        bool safe;
    };
    const Row rows[] = {
        {"private all the way", kPlain, kPlain, true},
        {"a group may rename above", kShared, kPlain, false},
        {"everybody may rename above", kPublic, kPlain, false},
        {"sticky above, as /tmp", kSticky, kPlain, true},
        {"a group may change the folder", kPlain, kShared, false},
        {"sticky folder itself is still shared", kPlain, kSticky, false},
    };
    for (const Row& row : rows) {
        cvdtest::TempEnv env;
        const fs::path above = env.Root() / "above", folder = above / "work";
        fs::create_directories(folder);
        fs::permissions(above, row.above);
        fs::permissions(folder, row.folder);
        EXPECT_EQ(Safe(folder), row.safe) << row.name;
    }
}

TEST(FolderSafety, FoldersOfAnotherUserAndWhatLinksLeadToCount) {
    cvdtest::TempEnv env;
    const fs::path theirs = env.Root() / "theirs", mine = env.Root() / "mine";
    fs::create_directories(theirs / "work");
    fs::create_directories(mine);
    fs::create_symlink(theirs / "work", mine / "link");
    EXPECT_TRUE(Safe(mine / "link"));
    EXPECT_FALSE(Safe(env.Root() / "missing"));
    if (::geteuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
    ASSERT_EQ(::chown(theirs.c_str(), 12345, 12345), 0);
    EXPECT_FALSE(Safe(theirs / "work"));
    EXPECT_FALSE(Safe(mine / "link")) << "the link leads through their folder";
}

}  // namespace
