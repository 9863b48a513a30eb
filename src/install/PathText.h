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

// Lets a verified setup run: a downloaded file carries no execute permission. True when set.
inline bool MakeExecutable(const std::wstring& path) {
    std::error_code error;
    std::filesystem::permissions(FsPath(path),
                                 std::filesystem::perms::owner_exec |
                                     std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, error);
    return !error;
}

}  // namespace install
