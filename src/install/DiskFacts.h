// The disk facts the folder checks ask for, injectable so that tests can describe file systems
// of any size without making them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Disks.h"

namespace install {

struct DiskFacts {
    // Bytes free to the caller on the file system holding the path.
    std::function<std::optional<std::uint64_t>(const std::wstring&)> freeBytes =
        platform::FreeBytes;
    // The mount point holding the path: the "drive" of a path.
    std::function<std::wstring(const std::wstring&)> driveRoot = platform::DriveRoot;
    std::function<std::vector<platform::Volume>()> volumes = platform::ListVolumes;
};

}  // namespace install
