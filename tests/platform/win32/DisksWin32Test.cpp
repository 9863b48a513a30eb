#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/Disks.h"

namespace {

namespace fs = std::filesystem;

TEST(Disks, VolumesAreDriveRoots) {
    cvdtest::TempEnv env;
    env.Set("CVD_VOLUMES", std::nullopt);
    const std::vector<platform::Volume> volumes = platform::ListVolumes();
    ASSERT_FALSE(volumes.empty());
    for (const platform::Volume& volume : volumes) {
        ASSERT_EQ(volume.root.size(), 3u);
        EXPECT_EQ(volume.root.substr(1), L":\\");
    }
    EXPECT_EQ(platform::DriveRoot(L"C:\\no\\such\\folder\\anywhere"), L"C:\\");
    const std::wstring root = platform::DriveRoot(L"c:/Windows/x");
    EXPECT_TRUE(root == L"C:\\" || root == L"c:\\");
}

TEST(Disks, ATestRunNamesItsOwnVolumesSeparatedBySemicolons) {
    cvdtest::TempEnv env;
    const fs::path first = env.Root() / "volume", second = env.Root() / "second";
    fs::create_directories(second);
    env.Set("CVD_VOLUMES",
            first.string() + ";" + second.string() + ";" + (env.Root() / "missing").string());
    const std::vector<platform::Volume> volumes = platform::ListVolumes();
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].root, first.wstring() + L"\\");
    EXPECT_EQ(volumes[1].root, second.wstring() + L"\\");
    EXPECT_TRUE(volumes[0].fixed && !volumes[0].usb);
    EXPECT_EQ(platform::DriveRoot((second / "CVDownloader" / "x").wstring()), volumes[1].root);
    EXPECT_EQ(platform::DriveRoot((env.Root() / "secondary").wstring()),
              env.Root().wstring().substr(0, 3))
        << "a name that only starts like a volume is not in it";
}

}  // namespace
