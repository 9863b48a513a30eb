// Work folders judged by POSIX modes and links: what another user or group may rename on the way.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "config/WorkDirectories.h"

namespace {

class WorkDirectoryModesTest : public ::testing::Test {
protected:
    cvdtest::TempEnv env;
};

TEST_F(WorkDirectoryModesTest, AVolumeTopThatCannotHoldOrIsSharedIsPassedOver) {
    namespace fs = std::filesystem;
    const fs::path blocked = env.Root() / "blocked", shared = env.Root() / "shared",
                   linked = env.Root() / "linked", good = env.Root() / "good";
    env.WriteFile("blocked/CVDownloader", "a file where the folder belongs");
    fs::create_directories(shared / "CVDownloader");
    fs::permissions(shared / "CVDownloader", fs::perms::all);  // everybody may swap the package
    fs::create_directories(linked);
    fs::create_symlink(good, linked / "CVDownloader");
    const std::vector<std::wstring> candidates = {
        (blocked / "CVDownloader/p").wstring(), (shared / "CVDownloader/p").wstring(),
        (linked / "CVDownloader/p").wstring(), (good / "CVDownloader/p").wstring()};
    EXPECT_EQ(workdirs::ChooseWorkDirectory(candidates), (good / "CVDownloader/p/").wstring());
}

// Whoever may rename entries in any folder on the way could swap the package after its check.
TEST_F(WorkDirectoryModesTest, AVolumeWhereAGroupMayRenameOnTheWayIsPassedOver) {
    namespace fs = std::filesystem;
    const fs::path shared = env.Root() / "shared" / "volume", good = env.Root() / "good";
    fs::create_directories(shared);
    fs::permissions(env.Root() / "shared", fs::perms::owner_all | fs::perms::group_all);
    // Our own folders made under a group-writable umask are ours to tighten.
    fs::create_directories(good / "CVDownloader/p");
    fs::permissions(good / "CVDownloader", fs::perms::group_write, fs::perm_options::add);
    fs::permissions(good / "CVDownloader/p", fs::perms::group_write, fs::perm_options::add);
    const std::vector<std::wstring> candidates = {(shared / "CVDownloader/p").wstring(),
                                                  (good / "CVDownloader/p").wstring()};
    EXPECT_EQ(workdirs::ChooseWorkDirectory(candidates), (good / "CVDownloader/p/").wstring());
    for (const fs::path& folder : {good / "CVDownloader", good / "CVDownloader/p"})
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::group_write, fs::perms::none)
            << folder;
}

}  // namespace
