// Real file systems of different sizes: loop mounts, which only root may make on Linux.
#include <unistd.h>

#include <fstream>

#include "Command.h"
#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/InstallPathCheck.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

// Two real file systems of 16 MiB and 64 MiB, loop-mounted inside the test's home (root only).
class SmallFileSystemsTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        if (::geteuid() != 0) GTEST_SKIP() << "loop mounts need root";
        for (auto [name, size] : {std::pair{"small", "16M"}, std::pair{"big", "64M"}}) {
            const fs::path image = env.Root() / (std::string(name) + ".img");
            const fs::path mount = env.Root() / name;
            fs::create_directories(mount);
            RunCommand({"truncate", "-s", size, image.string()});
            const auto made = RunCommand({"mkfs.ext4", "-q", "-F", image.string()});
            const auto mounted =
                RunCommand({"mount", "-o", "loop", image.string(), mount.string()});
            if (made.status != 0 || mounted.status != 0)
                GTEST_SKIP() << "no loop mount: " << made.output << mounted.output;
            mounts.push_back(mount);
        }
        // Only the two test file systems are volumes, so the machine's own disks stay untouched;
        // they count as fixed disks (a loop-mounted image otherwise never would).
        env.Set("CVD_VOLUMES", mounts[0].string() + ":" + mounts[1].string());
    }
    void TearDown() override {
        for (const fs::path& mount : mounts) RunCommand({"umount", mount.string()});
        InstallTest::TearDown();
    }
    std::vector<fs::path> mounts;
};

TEST_F(SmallFileSystemsTest, AFullFileSystemMovesTheFolderToTheRoomierOne) {
    CConfigure& config = CConfigure::Instance();
    ApplyConfig({{"Download_url", "https://h/cvd_fs_" + std::to_string(::getpid()) + ".exe"}});
    config.SetLoadSource(1);
    config.SetSubProgramInfoDone(true);
    config.SetFilesize(8 * 1048576);  // twice that is more than the small one holds
    window.installPath = Wide(mounts[0] / "Apps" / "Zorvik");
    const install::DiskFacts disks;
    ASSERT_EQ(disks.volumes().size(), 2u);
    EXPECT_TRUE(install::IsCorrectInstallPath(window, disks)) << log.Text();
    EXPECT_EQ(window.installPath, Wide(mounts[1] / "Apps" / "Zorvik"));
    EXPECT_TRUE(fs::is_directory(mounts[1] / "Apps" / "Zorvik"));
    EXPECT_TRUE(window.boxes.empty());
    std::error_code ignored;
    fs::remove_all(PathOf(config.GetWorkDirectory()), ignored);
}

}  // namespace
