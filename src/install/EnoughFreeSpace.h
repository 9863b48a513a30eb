// Whether the work drive and the install drive have room for the package and the installed
// product. A drive is the mount point holding a path.
#pragma once

#include <cstdint>
#include <string>

#include "install/DiskFacts.h"

namespace install {

inline constexpr int kEnoughSpace = 1;
inline constexpr int kWorkDriveShort = -1;
inline constexpr int kInstallDriveShort = -2;

// 1 enough; -1 the work drive is short (events sent); -2 the install drive is short (no events:
// the caller reports). `freeOut` is written only for -1 and -2. The install drive needs twice
// `needed`, three times when the work directory shares it; exactly as much free space as
// required is too little. A free-space query that fails counts as enough.
int EnoughFreeSpace(bool checkWorkDrive, std::int64_t needed, std::uint64_t& freeOut,
                    const std::wstring& installPath, const std::wstring& workDirectory,
                    const DiskFacts& disks = {});

// Free bytes as a 100 MiB-wide "MB" bucket, as the not-enough-space events carry them.
std::string FreeSpaceBucket(std::uint64_t freeBytes);

}  // namespace install
