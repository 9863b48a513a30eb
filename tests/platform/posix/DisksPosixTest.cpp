#include <gtest/gtest.h>

#include "MountInfo.h"
#include "TempEnv.h"
#include "platform/Disks.h"
#include "platform/Text.h"

namespace {

using platform::posix::DriveRootAmong;
using platform::posix::MountEntry;
using platform::posix::NormalisePath;
using platform::posix::ParseMountInfo;

constexpr char kMountInfo[] =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "24 22 0:22 / /tmp rw,nosuid,nodev shared:13 - tmpfs tmpfs rw,size=8G\n"
    "25 22 7:3 / /snap/core/123 ro,nodev,relatime shared:30 - squashfs /dev/loop3 ro\n"
    "26 22 8:17 / /media/user/My\\040Stick rw,nosuid,nodev,relatime shared:40 - vfat /dev/sdb1 rw\n"
    "27 22 0:45 / /var/lib/docker/overlay2/x/merged rw,relatime - overlay overlay rw,lowerdir=/a\n"
    "28 22 0:33 /@home /home rw,relatime shared:5 - btrfs /dev/nvme0n1p3 rw,ssd,subvol=/@home\n"
    "29 22 11:0 / /media/cdrom ro,relatime - iso9660 /dev/sr0 ro\n"
    "30 22 0:50 / /mnt/nas rw,relatime - nfs4 server:/export rw,vers=4.2\n"
    "31 22 0:51 / /run/user/1000/gvfs rw,nosuid,nodev - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "32 22 8:33 / /mnt/win rw,relatime - fuseblk /dev/sdc1 rw,user_id=0\n"
    "34 22 252:0 / /var/cache/zram rw,relatime - ext4 /dev/zram0 rw\n"
    "35 22 8:6 / /srv/data rw,nosuid,nodev,noexec,relatime - ext4 /dev/sda6 rw\n"
    "this line is not mountinfo\n"
    "33 22 8:5 / /no-separator rw ext4 /dev/sda5 rw\n";

const MountEntry* Find(const std::vector<MountEntry>& entries, const std::string& point) {
    for (const MountEntry& entry : entries)
        if (entry.mountPoint == point) return &entry;
    return nullptr;
}

TEST(MountInfo, ParsesFieldsAndSkipsDamagedLines) {
    const auto entries = ParseMountInfo(kMountInfo);
    ASSERT_EQ(entries.size(), 13u);
    const MountEntry& root = entries[0];
    EXPECT_EQ(root.major, 8u);
    EXPECT_EQ(root.minor, 2u);
    EXPECT_EQ(root.root, "/");
    EXPECT_EQ(root.mountPoint, "/");
    EXPECT_EQ(root.options, "rw,relatime");
    EXPECT_EQ(root.fsType, "ext4");
    EXPECT_EQ(root.source, "/dev/sda2");
    EXPECT_EQ(entries[6].root, "/@home");  // optional fields before "-" are skipped
    EXPECT_EQ(Find(entries, "/no-separator"), nullptr);
}

TEST(MountInfo, DecodesOctalEscapes) {
    const auto entries =
        ParseMountInfo("40 22 8:18 / /media/a\\040b\\011c\\134d rw - ext4 /dev/sdb2 rw\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/media/a b\tc\\d");
    ASSERT_NE(Find(ParseMountInfo(kMountInfo), "/media/user/My Stick"), nullptr);
}

struct Classification {
    const char* mountPoint;
    bool block;
    bool fixed;
};

TEST(MountInfo, ClassifiesFixedBlockDevices) {
    const auto entries = ParseMountInfo(kMountInfo);
    const Classification rows[] = {
        {"/", true, true},
        {"/proc", false, false},
        {"/tmp", false, false},                               // tmpfs
        {"/snap/core/123", true, false},                      // loop device
        {"/media/user/My Stick", true, true},                 // fixed; USB is decided by sysfs
        {"/var/lib/docker/overlay2/x/merged", false, false},  // overlay
        {"/home", true, true},                                // btrfs: anonymous 0:N device
        {"/media/cdrom", true, false},                        // read-only
        {"/mnt/nas", false, false},                           // network
        {"/run/user/1000/gvfs", false, false},                // FUSE program
        {"/mnt/win", true, true},                             // fuseblk on a disk
        {"/var/cache/zram", true, false},                     // in memory: gone at reboot
        {"/srv/data", true, false},                           // noexec: a package cannot run
    };
    for (const Classification& row : rows) {
        const MountEntry* entry = Find(entries, row.mountPoint);
        ASSERT_NE(entry, nullptr) << row.mountPoint;
        EXPECT_EQ(platform::posix::IsBlockDeviceMount(*entry), row.block) << row.mountPoint;
        EXPECT_EQ(platform::posix::IsFixedMount(*entry), row.fixed) << row.mountPoint;
    }
}

TEST(MountInfo, NormalisesPathsLexically) {
    EXPECT_EQ(NormalisePath("/a//b/./c/", "/"), "/a/b/c");
    EXPECT_EQ(NormalisePath("/a/b/../c", "/"), "/a/c");
    EXPECT_EQ(NormalisePath("/../..", "/"), "/");
    EXPECT_EQ(NormalisePath("x/y", "/work"), "/work/x/y");
    EXPECT_EQ(NormalisePath("", "/work"), "/work");
}

TEST(DriveRoot, LongestLeadingMountPointWins) {
    const std::vector<std::string> points = {"/", "/home", "/home/user/data",
                                             "/media/user/My Stick", "/hom"};
    EXPECT_EQ(DriveRootAmong("/home/user/data/x/y.bin", points), "/home/user/data/");
    EXPECT_EQ(DriveRootAmong("/home/user/other", points), "/home/");
    EXPECT_EQ(DriveRootAmong("/home", points), "/home/");
    EXPECT_EQ(DriveRootAmong("/homework/file", points), "/");  // "/home" is not a leading folder
    EXPECT_EQ(DriveRootAmong("/home/user/data/../../x", points), "/home/");
    EXPECT_EQ(DriveRootAmong("/media/user/My Stick/CVDownloader", points), "/media/user/My Stick/");
    EXPECT_EQ(DriveRootAmong("/var/tmp", points), "/");
    EXPECT_EQ(DriveRootAmong("/anything", {}), "/");
    EXPECT_EQ(DriveRootAmong("data/x", points, "/home/user"), "/home/user/data/");
}

TEST(DriveRoot, OfThisMachine) {
    EXPECT_EQ(platform::DriveRoot(L"/"), L"/");
    const std::wstring root = platform::DriveRoot(L"/proc/self/status");
    EXPECT_EQ(root, L"/proc/");
    EXPECT_EQ(platform::DriveRoot(L"/no/such/folder/anywhere").back(), L'/');
}

TEST(Disks, ListVolumesGivesFolderRoots) {
    for (const platform::Volume& volume : platform::ListVolumes()) {
        ASSERT_FALSE(volume.root.empty());
        EXPECT_EQ(volume.root.front(), L'/');
        EXPECT_EQ(volume.root.back(), L'/');
    }
}

TEST(Disks, ATestRunNamesItsOwnVolumes) {
    cvdtest::TempEnv env;
    const auto second = env.Root() / "second";
    std::filesystem::create_directories(second);
    env.Set("CVD_VOLUMES", env.Volume().string() + ":" + second.string() + ":" +
                               (env.Root() / "missing").string());
    const std::vector<platform::Volume> volumes = platform::ListVolumes();
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].root, platform::Utf8ToWide(env.Volume().string() + "/"));
    EXPECT_EQ(volumes[1].root, platform::Utf8ToWide(second.string() + "/"));
    EXPECT_TRUE(volumes[0].fixed && !volumes[0].usb);
    EXPECT_EQ(platform::DriveRoot(platform::Utf8ToWide((second / "CVDownloader/x").string())),
              volumes[1].root);
    EXPECT_EQ(platform::DriveRoot(L"/usr/bin"), L"/");
}

}  // namespace
