// Windows implementation: drives come from GetLogicalDriveStringsW and GetDriveTypeW, the bus
// type from IOCTL_STORAGE_QUERY_PROPERTY, space from GetDiskFreeSpaceExW, the root of a path from
// GetVolumePathNameW.
#include "platform/Disks.h"

#include <windows.h>
#include <winioctl.h>

#include <vector>

#include "WinSupport.h"

namespace platform {
namespace {

// Folders of CVD_VOLUMES (';'-separated, since ':' belongs to drive names), in full form without
// a trailing separator; nothing when the variable is not set.
std::optional<std::vector<std::wstring>> VolumesOfTestRun() {
    const auto list = win32::EnvVar(L"CVD_VOLUMES");
    if (!list) return std::nullopt;
    std::vector<std::wstring> folders;
    std::size_t start = 0;
    while (start <= list->size()) {
        std::size_t end = list->find(L';', start);
        if (end == std::wstring::npos) end = list->size();
        if (end > start) {
            const std::wstring folder =
                win32::WithoutSeparator(win32::FullPath(list->substr(start, end - start)));
            if (!folder.empty()) folders.push_back(folder);
        }
        start = end + 1;
    }
    return folders;
}

bool IsUsbDrive(wchar_t letter) {
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return false;
    const std::wstring device = std::wstring(L"\\\\.\\") + letter + L":";
    // No access rights are needed to ask a volume for its device's properties.
    const win32::UniqueHandle volume(::CreateFileW(
        device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume.Valid()) return false;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    DWORD returned = 0;
    if (!::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                           &descriptor, sizeof descriptor, &returned, nullptr) ||
        returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof descriptor.BusType)
        return false;
    return descriptor.BusType == BusTypeUsb;
}

bool IsReadOnlyVolume(const std::wstring& root) {
    DWORD flags = 0;
    return ::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr,
                                   0) &&
           (flags & FILE_READ_ONLY_VOLUME);
}

std::vector<std::wstring> LogicalDrives() {
    std::vector<wchar_t> buffer(512);
    DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        buffer.resize(length);
        length = ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    std::vector<std::wstring> roots;
    if (length == 0 || length > buffer.size()) return roots;
    for (const wchar_t* root = buffer.data(); *root; root += wcslen(root) + 1)
        roots.emplace_back(root);
    return roots;
}

// The nearest existing folder of `path` (the download folder is created later).
std::wstring NearestFolder(const std::wstring& path) {
    std::wstring current = win32::WithoutSeparator(win32::FullPath(path));
    while (!current.empty()) {
        const DWORD attributes = ::GetFileAttributesW(current.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) return win32::WithSeparator(current);
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return {};
        const std::wstring parent = win32::ParentFolder(current);
        if (parent == current) return {};
        current = parent;
    }
    return {};
}

struct Space {
    std::uint64_t free = 0;
    std::uint64_t total = 0;
};

std::optional<Space> SpaceOf(const std::wstring& path) {
    const std::wstring folder = NearestFolder(path);
    ULARGE_INTEGER free{}, total{};
    if (folder.empty() || !::GetDiskFreeSpaceExW(folder.c_str(), &free, &total, nullptr))
        return std::nullopt;
    return Space{free.QuadPart, total.QuadPart};
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// `folder` is `path` itself or a leading folder of it (both full, without trailing separators).
bool Holds(const std::wstring& folder, const std::wstring& path) {
    if (path.size() < folder.size() || !SameText(path.substr(0, folder.size()), folder))
        return false;
    return path.size() == folder.size() || win32::IsSeparator(path[folder.size()]) ||
           win32::IsSeparator(folder.back());
}

}  // namespace

std::vector<Volume> ListVolumes() {
    std::vector<Volume> volumes;
    if (const auto folders = VolumesOfTestRun()) {
        for (const std::wstring& folder : *folders)
            if (win32::IsFolder(folder))
                volumes.push_back(
                    Volume{win32::WithSeparator(folder), VolumeAllowsPrograms(folder), false});
        return volumes;
    }
    for (const std::wstring& root : LogicalDrives()) {
        Volume volume;
        volume.root = root;
        volume.fixed = ::GetDriveTypeW(root.c_str()) == DRIVE_FIXED && !IsReadOnlyVolume(root);
        volume.usb = IsUsbDrive(root[0]);
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

std::optional<std::uint64_t> FreeBytes(const std::wstring& path) {
    const auto space = SpaceOf(path);
    return space ? std::optional<std::uint64_t>(space->free) : std::nullopt;
}

std::optional<std::uint64_t> VolumeBytes(const std::wstring& path) {
    const auto space = SpaceOf(path);
    return space ? std::optional<std::uint64_t>(space->total) : std::nullopt;
}

// Windows mounts no volume without the right to run programs from it.
bool VolumeAllowsPrograms(const std::wstring& path) { return SpaceOf(path).has_value(); }

std::wstring DriveRoot(const std::wstring& path) {
    const std::wstring full = win32::WithoutSeparator(win32::FullPath(path));
    if (full.empty()) return {};
    if (const auto folders = VolumesOfTestRun()) {
        std::wstring best;
        for (const std::wstring& folder : *folders)
            if (Holds(folder, full) && folder.size() > best.size()) best = folder;
        return win32::WithSeparator(best.empty() ? full.substr(0, win32::RootLength(full)) : best);
    }
    std::vector<wchar_t> root(full.size() + 2);
    if (::GetVolumePathNameW(full.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return win32::WithSeparator(root.data());
    return win32::WithSeparator(full.substr(0, win32::RootLength(full)));
}

}  // namespace platform
