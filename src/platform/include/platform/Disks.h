// File systems the program can put its downloads on. A "drive root" is the mount point that
// holds a path; it plays the part of a Windows drive letter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Volume {
    std::wstring root;  // mount point, ending with '/'
    // backed by a block device (not a pseudo or network file system), writable, and programs
    // may run from it (not mounted noexec)
    bool fixed = false;
    bool usb = false;  // the block device sits on a USB bus
};

// Block-device file systems in the order /proc/self/mountinfo reports them. Test runs name
// their own volumes instead: CVD_VOLUMES, a ':'-separated list of folders, each then counts as a
// fixed, non-USB volume unless it is mounted noexec (and DriveRoot looks only at them), so no test
// touches a real disk's top.
std::vector<Volume> ListVolumes();

// Bytes free to the caller on the file system holding `path` (statvfs f_bavail); nothing when
// the path cannot be asked about.
std::optional<std::uint64_t> FreeBytes(const std::wstring& path);

// The mount point holding `path` (which need not exist yet): the longest mount point that is a
// leading folder of it. "/" when nothing else matches. Ends with '/'.
std::wstring DriveRoot(const std::wstring& path);

// Whether programs may run from the file system holding `path` (it is not mounted noexec);
// false when the path cannot be asked about.
bool VolumeAllowsPrograms(const std::wstring& path);

// Total bytes of the file system holding `path` (statvfs f_blocks), whatever is in use; nothing
// when the path cannot be asked about.
std::optional<std::uint64_t> VolumeBytes(const std::wstring& path);

}  // namespace platform
