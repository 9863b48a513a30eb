// POSIX implementation: the /proc/self/mountinfo reader, apart so tests can feed it fixtures.
// Private to src/platform/posix/ and the platform tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// One line of mountinfo (proc(5)): "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3
// /dev/root rw,errors=continue". Octal escapes (\040 for a space, ...) are decoded.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // folder of the file system that is mounted
    std::string mountPoint;  // where it is mounted, without a trailing '/' (except "/")
    std::string options;     // per-mount options ("rw,noatime")
    std::string fsType;
    std::string source;
};

// Lines that do not follow the format are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// A file system on a block device: the source is a device node under /dev/ (any major number,
// because btrfs reports anonymous 0:N device numbers for its real disks), but not FUSE's
// /dev/fuse.
bool IsBlockDeviceMount(const MountEntry& entry);

// A block-device mount that can hold downloads: not a loop device (disk images, snaps), not
// read-only (optical discs, recovery images).
bool IsFixedMount(const MountEntry& entry);

// The lexically normalised absolute form of `path`: "." and ".." and repeated '/' resolved,
// no trailing '/' (except "/"). A relative path is taken relative to `cwd`.
std::string NormalisePath(std::string_view path, std::string_view cwd);

// The longest of `mountPoints` that is `path` itself or a leading folder of it; "/" when none.
// Both sides are normalised; the result ends with '/'.
std::string DriveRootAmong(std::string_view path, const std::vector<std::string>& mountPoints,
                           std::string_view cwd = "/");

// /proc/self/mountinfo of this process, parsed; empty when unreadable.
std::vector<MountEntry> ReadOwnMounts();

}  // namespace platform::posix
