// The one way code above the seam turns a wide path into a file-system path: through UTF-8, so
// a folder named in Chinese or Arabic survives whatever the C locale is.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace platform {

inline std::filesystem::path FsPath(std::wstring_view path) {
    const std::string utf8 = WideToUtf8(path);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::wstring WidePath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return Utf8ToWide(std::string(utf8.begin(), utf8.end()));
}

}  // namespace platform
