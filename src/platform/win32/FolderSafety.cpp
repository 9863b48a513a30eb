// Windows implementation: the owner and DACL of each folder from the drive root down, for the
// path as written and for the final path the system resolves it to (links and junctions
// followed).
#include "platform/FolderSafety.h"

#include <windows.h>

#include <vector>

#include "Security.h"
#include "WinSupport.h"

namespace platform {
namespace {

win32::UniqueHandle OpenFolder(const std::wstring& folder) {
    return win32::UniqueHandle(::CreateFileW(folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                             nullptr));
}

// The folder itself may not even take new entries from others: they could add to it.
bool IsSafeFolder(const std::wstring& folder, bool last) {
    const win32::UniqueHandle handle = OpenFolder(folder);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.Valid() || !::GetFileInformationByHandle(handle.Get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const auto access = win32::AccessOf(handle.Get());
    const ACCESS_MASK forbidden = win32::kRenameRights | (last ? win32::kAddRights : 0);
    return access && access->ownerTrusted && (access->othersMay & forbidden) == 0;
}

// `path` is absolute and full (GetFullPathNameW's form, no trailing separator but a root's).
bool IsSafeChain(const std::wstring& path) {
    const std::size_t root = win32::RootLength(path);
    if (root == 0) return false;
    if (!IsSafeFolder(path.substr(0, root), path.size() <= root)) return false;
    for (std::size_t slash = path.find(L'\\', root); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1))
        if (!IsSafeFolder(path.substr(0, slash), false)) return false;
    return path.size() <= root || IsSafeFolder(path, true);
}

// The path the system resolves `folder` to, in the DOS form ("C:\...", "\\server\share\...").
std::wstring ResolvedPath(const std::wstring& folder) {
    const win32::UniqueHandle handle = OpenFolder(folder);
    if (!handle.Valid()) return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle.Get(), buffer.data(),
                                                         static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
            if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
            return path;
        }
        buffer.resize(length);
    }
}

}  // namespace

bool IsPathSafeFromOthers(const std::wstring& folder) {
    const std::wstring written = win32::WithoutSeparator(win32::FullPath(folder));
    if (written.empty()) return false;
    const std::wstring resolved = win32::WithoutSeparator(ResolvedPath(written));
    return !resolved.empty() && IsSafeChain(written) && IsSafeChain(resolved);
}

}  // namespace platform
