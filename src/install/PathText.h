// File steps of the install flow on wide paths (through platform::FsPath).
#pragma once

#include <filesystem>
#include <string>

#include "platform/FsPath.h"

namespace install {

using platform::FsPath;

// Removes the file when it exists; missing files are ignored.
inline void DeleteFileQuietly(const std::wstring& path) {
    std::error_code ignored;
    std::filesystem::remove(FsPath(path), ignored);
}

}  // namespace install
