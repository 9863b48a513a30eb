// Wide paths to the file-system library: through UTF-8 as char8_t, never as narrow text that a
// Windows build would read in the ANSI code page.
#pragma once

#include <filesystem>
#include <string>

#include "platform/Text.h"

namespace install {

inline std::filesystem::path FsPath(const std::wstring& path) {
    const std::string utf8 = platform::WideToUtf8(path);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

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
