// Windows implementation: folders come from the environment Windows sets up for the user
// (USERPROFILE, LOCALAPPDATA, TMP), else from the known-folder API, read at each call.
#include "platform/Paths.h"

#include <shlobj.h>
#include <windows.h>

#include <mutex>
#include <vector>

#include "Security.h"
#include "WinSupport.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {
namespace {

using win32::WithSeparator;

// A variable that names an absolute folder, else the known folder.
std::wstring FolderOf(const wchar_t* variable, const GUID& known) {
    if (auto value = win32::EnvVar(variable); value && win32::RootLength(*value) > 0)
        return WithSeparator(*value);
    return WithSeparator(win32::KnownFolder(known));
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Opens a folder itself, never what a link in its place points to.
win32::UniqueHandle OpenFolderNoFollow(const std::wstring& folder) {
    return win32::UniqueHandle(::CreateFileW(
        win32::WithoutSeparator(folder).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool IsRealFolder(HANDLE folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(folder, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A folder this process may create files in, as its access check says.
bool MayCreateFilesIn(const std::wstring& folder) {
    const win32::UniqueHandle handle = OpenFolderNoFollow(folder);
    return handle.Valid() && win32::CurrentUserMay(handle.Get(), FILE_ADD_FILE);
}

// Whether others can rename what `folder` holds or take it over.
bool IsChangeableByOthers(const std::wstring& folder) {
    const win32::UniqueHandle handle = OpenFolderNoFollow(folder);
    const auto access = handle.Valid() ? win32::AccessOf(handle.Get()) : std::nullopt;
    return !access || !access->ownerTrusted || (access->othersMay & win32::kRenameRights) != 0;
}

constexpr wchar_t kRuntimeName[] = L"cvdownloader";

// Why the runtime folder candidate cannot serve, or nullptr when it can.
const char* RuntimeRefusal(const std::wstring& folder) {
    if (IsChangeableByOthers(win32::ParentFolder(folder)))
        return "in a folder other users can change";
    win32::PrivateSecurity security;
    if (!::CreateDirectoryW(folder.c_str(), security.Attributes()) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return "cannot be used";
    const win32::UniqueHandle handle = OpenFolderNoFollow(folder);
    if (!handle.Valid()) return "cannot be used";
    if (!IsRealFolder(handle.Get())) return "not a folder";
    const auto access = win32::AccessOf(handle.Get());
    if (!access) return "cannot be used";
    if (!access->ownerTrusted) return "owned by another user";
    if (access->othersMay != 0) return "open to other users";
    return nullptr;
}

// A folder of this process alone, kept for the rest of the process while it lasts.
std::wstring FreshRuntimeFolder() {
    static std::mutex mutex;
    static auto* fresh = new std::wstring;
    std::lock_guard<std::mutex> lock(mutex);
    if (!fresh->empty() && win32::IsFolder(*fresh)) return *fresh;
    std::string ignored;
    const auto made = MakeFreshPrivateFolder(TempFolder(), L"cvdownloader-", ignored);
    *fresh = made ? WithSeparator(*made) : std::wstring();
    return *fresh;
}

}  // namespace

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring HomeFolder() { return FolderOf(L"USERPROFILE", FOLDERID_Profile); }

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return WithSeparator(win32::KnownFolder(FOLDERID_Windows)) + L"Temp\\";
    return WithSeparator(std::wstring(buffer, length));
}

std::wstring LocalAppDataFolder() { return FolderOf(L"LOCALAPPDATA", FOLDERID_LocalAppData); }

std::wstring CacheFolder() { return LocalAppDataFolder(); }

std::wstring DesktopFolder() {
    // A profile moved by the environment (a test run) brings its own desktop.
    const std::wstring profile = HomeFolder();
    if (!SamePath(profile, WithSeparator(win32::KnownFolder(FOLDERID_Profile))))
        return profile + L"Desktop\\";
    return WithSeparator(win32::KnownFolder(FOLDERID_Desktop));
}

std::wstring ProgramFilesFolder() {
    if (auto value = win32::EnvVar(L"CVD_PROGRAM_FILES")) return WithSeparator(*value);
    return WithSeparator(win32::KnownFolder(FOLDERID_ProgramFiles));
}

std::wstring RuntimeFolderPath() { return LocalAppDataFolder() + kRuntimeName + L"\\"; }

RuntimeFolderChoice ChooseRuntimeFolder() {
    RuntimeFolderChoice choice;
    const std::wstring candidate = win32::WithoutSeparator(RuntimeFolderPath());
    win32::MakeFolders(win32::ParentFolder(candidate));
    const char* refusal = RuntimeRefusal(candidate);
    if (!refusal) {
        choice.folder = WithSeparator(candidate);
        return choice;
    }
    choice.refused.push_back(WithSeparator(candidate) + L": " + Utf8ToWide(refusal));
    choice.fresh = true;
    choice.folder = FreshRuntimeFolder();
    return choice;
}

std::wstring RuntimeFolder() { return ChooseRuntimeFolder().folder; }

std::wstring MachineStateFolder() {
    if (auto value = win32::EnvVar(L"CVD_MACHINE_STATE_DIR")) return WithSeparator(*value);
    const std::wstring shared = WithSeparator(win32::KnownFolder(FOLDERID_ProgramData));
    const std::wstring system = shared + L"cvdownloader\\";
    if (win32::IsFolder(system) ? MayCreateFilesIn(system) : MayCreateFilesIn(shared))
        return system;
    return LocalAppDataFolder() + L"cvdownloader\\state\\";
}

bool IsOwnWritableFolder(const std::wstring& path) {
    const win32::UniqueHandle folder = OpenFolderNoFollow(path);
    if (!folder.Valid() || !IsRealFolder(folder.Get())) return false;
    const auto access = win32::AccessOf(folder.Get());
    return access && access->ownerTrusted &&
           (access->othersMay & (win32::kAddRights | win32::kRenameRights)) == 0 &&
           win32::CurrentUserMay(folder.Get(), win32::kAddRights | FILE_TRAVERSE);
}

}  // namespace platform
