#include "sys/FileUtils.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/FsPath.h"
#include "platform/Paths.h"

namespace FuntionImpl {
namespace fs = std::filesystem;
namespace {

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// Sorted, so that "the first one found" does not depend on the file system's listing order.
// Links to folders are not entered: a link back up the tree would make the walk endless.
std::vector<std::wstring> SubFolderNames(const fs::path& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError))
            names.push_back(platform::WidePath(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::wstring FindFileRecursive(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || name.empty()) return std::wstring();
    const fs::path base = platform::FsPath(folder);
    // A rooted name still means a file below `folder`, never one elsewhere.
    const fs::path candidate = base / platform::FsPath(name).relative_path();
    if (Exists(candidate)) return platform::WidePath(candidate);
    for (const std::wstring& sub : SubFolderNames(base)) {
        std::wstring found =
            FindFileRecursive(platform::WidePath(base / platform::FsPath(sub)), name);
        if (!found.empty()) return found;
    }
    return std::wstring();
}

std::uint32_t GetFileSize32(const std::wstring& path) {
    std::error_code error;
    const fs::path file = platform::FsPath(path);
    if (!fs::is_regular_file(file, error)) return 0;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || !std::ifstream(file, std::ios::binary)) return 0;
    return static_cast<std::uint32_t>(size);
}

bool IsDirectory(const std::wstring& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(platform::FsPath(path), error);
}

std::wstring GetTempFolder() { return platform::TempFolder(); }

}  // namespace FuntionImpl
