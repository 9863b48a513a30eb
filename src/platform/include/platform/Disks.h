// File systems the program can put its downloads on. A "drive root" is the root of the volume
// that holds a path: on Windows its drive ("D:\\"), on Linux the mount point that holds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Volume {
    std::wstring root;  // Windows: "C:\\"; Linux: the mount point, ending with '/'
    // A local disk that can hold downloads and run programs. Windows: a fixed drive
    // (DRIVE_FIXED) that is not read-only. Linux: backed by a block device (not a pseudo or
    // network file system), writable, and programs may run from it (not mounted noexec).
    bool fixed = false;
    // The disk sits on a USB bus (Windows: the storage bus type of IOCTL_STORAGE_QUERY_PROPERTY).
    bool usb = false;
};

// The volumes in the order the system reports them (Windows: GetLogicalDriveStringsW; Linux:
// the block-device file systems of /proc/self/mountinfo). Test runs name their own volumes
// instead: CVD_VOLUMES, a list of folders (separated by ';' on Windows, ':' on Linux), each then
// counts as a fixed, non-USB volume unless it is mounted noexec (and DriveRoot looks only at
// them), so no test touches a real disk's top.
std::vector<Volume> ListVolumes();

// Bytes free to the caller on the volume holding `path` (Windows: GetDiskFreeSpaceExW; Linux:
// statvfs f_bavail); nothing when the path cannot be asked about.
std::optional<std::uint64_t> FreeBytes(const std::wstring& path);

// The root of the volume holding `path` (which need not exist yet), ending with the separator.
// Windows: its drive or share root ("D:\\"); Linux: the longest mount point that is a leading
// folder of it, "/" when nothing else matches.
std::wstring DriveRoot(const std::wstring& path);

// Whether programs may run from the volume holding `path` (Linux: it is not mounted noexec;
// Windows has no such mount option, so any volume that can be asked about); false when the path
// cannot be asked about.
bool VolumeAllowsPrograms(const std::wstring& path);

// Total bytes of the volume holding `path`, whatever is in use; nothing when the path cannot be
// asked about.
std::optional<std::uint64_t> VolumeBytes(const std::wstring& path);

}  // namespace platform
