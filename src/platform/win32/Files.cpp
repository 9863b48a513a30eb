// Windows implementation: temporary files created with CREATE_NEW and a DACL for this user only,
// flushed and moved over the target (MoveFileExW); settings files judged by the owner and DACL
// of the handle they are read from; private folders made with such a DACL; copies read through
// a handle that does not follow a link.
#include "platform/Files.h"

#include <windows.h>

#include <random>
#include <vector>

#include "Security.h"
#include "WinSupport.h"

namespace platform {
namespace {

constexpr int kNameTries = 16;

std::uint64_t RandomNumber() {
    static thread_local std::mt19937_64 random([] {
        std::random_device seed;
        return static_cast<std::uint64_t>(seed()) << 32 ^ seed() ^ ::GetCurrentProcessId();
    }());
    return random();
}

// A fresh file beside `target`; a stale one left by a crash, or anything planted, is never reused.
win32::UniqueHandle CreateTemporary(const std::wstring& target, std::wstring& temporary) {
    win32::PrivateSecurity security;
    if (!security.Valid()) return win32::UniqueHandle();
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        temporary = target + L"." + std::to_wstring(RandomNumber() % 1000000000ull) + L".tmp";
        win32::UniqueHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0,
                                               security.Attributes(), CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid() || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return win32::UniqueHandle();
}

bool IsRegularFile(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// Reads at most `limit` bytes; false on an error or when the file holds more.
bool ReadAtMost(HANDLE file, std::uint64_t limit, std::string& bytes) {
    bytes.clear();
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        if (bytes.size() + got > limit) return false;
        bytes.append(buffer, got);
    }
}

bool Fail(std::string& error, const char* step) {
    error = win32::StepFailed(step, ::GetLastError());
    return false;
}

bool CopyBytes(HANDLE from, HANDLE to, std::uint64_t size, std::string& error) {
    std::vector<char> buffer(1 << 20);
    std::uint64_t copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return Fail(error, "read");
        if (got == 0) break;
        if (!win32::WriteAll(to, buffer.data(), got)) return Fail(error, "write");
        copied += got;
    }
    if (copied == size) return true;
    error = "the file changed size while it was copied";
    return false;
}

}  // namespace

SettingsFileRead ReadSettingsFile(const std::wstring& path, std::uint64_t limit,
                                  std::string& bytes) {
    bytes.clear();
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? SettingsFileRead::Missing
                   : SettingsFileRead::Unreadable;
    }
    const auto access = win32::AccessOf(file.Get());
    if (!access) return SettingsFileRead::Unreadable;
    if (!access->ownerTrusted || (access->othersMay & win32::kFileWriteRights) != 0)
        return SettingsFileRead::NotTrusted;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(file.Get(), info) || SizeOf(info) > limit ||
        !ReadAtMost(file.Get(), limit, bytes)) {
        bytes.clear();
        return SettingsFileRead::Unreadable;
    }
    return SettingsFileRead::Read;
}

bool MakeFolders(const std::wstring& folder) {
    win32::PrivateSecurity security;
    return security.Valid() && win32::MakeFolders(folder, security.Attributes());
}

std::optional<std::wstring> MakeFreshPrivateFolder(const std::wstring& parent,
                                                   const std::wstring& prefix, std::string& error) {
    win32::PrivateSecurity security;
    if (!security.Valid()) {
        Fail(error, "private security descriptor");
        return std::nullopt;
    }
    const std::wstring base = win32::WithSeparator(parent) + prefix;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::wstring folder = base + std::to_wstring(RandomNumber() % 1000000000ull);
        if (::CreateDirectoryW(folder.c_str(), security.Attributes())) return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    Fail(error, "create folder");
    return std::nullopt;
}

bool CopyFilePrivately(const std::wstring& source, const std::wstring& target, std::string& error) {
    const win32::UniqueHandle from(
        ::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.Valid()) return Fail(error, "open source");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsRegularFile(from.Get(), info)) {
        error = "the source is not a regular file";
        return false;
    }
    win32::PrivateSecurity security;
    if (!security.Valid()) return Fail(error, "private security descriptor");
    win32::UniqueHandle to(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, security.Attributes(),
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to.Valid()) return Fail(error, "create copy");
    if (CopyBytes(from.Get(), to.Get(), SizeOf(info), error) && ::CloseHandle(to.Release()))
        return true;
    if (error.empty()) Fail(error, "close copy");
    to = win32::UniqueHandle();
    ::DeleteFileW(target.c_str());
    return false;
}

bool ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
    std::wstring temporary;
    win32::UniqueHandle file = CreateTemporary(path, temporary);
    if (!file.Valid()) return false;
    const bool written = win32::WriteAll(file.Get(), bytes.data(), bytes.size()) &&
                         ::FlushFileBuffers(file.Get()) && ::CloseHandle(file.Release());
    if (!written || !::MoveFileExW(temporary.c_str(), path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        file = win32::UniqueHandle();
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
