// The one way code above the seam turns a wide path into a file-system path: through UTF-8, so
// a folder named in Chinese or Arabic survives whatever the C locale is.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace platform {

// The same for a path held as UTF-8 text (the download engine's records, the toolkit's names).
inline std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::filesystem::path FsPath(std::wstring_view path) { return Utf8Path(WideToUtf8(path)); }

// A path as UTF-8 text for logs, messages and records; `string()` would give the ANSI code page
// on Windows.
inline std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

inline std::wstring WidePath(const std::filesystem::path& path) {
    return Utf8ToWide(Utf8Text(path));
}

// A folder as text that ends with this system's separator, the form folder texts take when file
// names are appended to them.
inline std::wstring WithTrailingSeparator(std::wstring folder) {
    constexpr wchar_t separator = std::filesystem::path::preferred_separator;
    if (folder.empty() || (folder.back() != separator && folder.back() != L'/'))
        folder += separator;
    return folder;
}

}  // namespace platform
