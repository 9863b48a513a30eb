// Windows implementation: private helpers shared by the files of this folder only. Nothing
// outside src/platform/win32/ (and the platform tests) includes this header.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::win32 {

// A kernel handle closed when the object goes away; null and INVALID_HANDLE_VALUE are "none".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle();
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release();

private:
    HANDLE handle_ = nullptr;
};

// The value of an environment variable of this process when it is set and not empty.
std::optional<std::wstring> EnvVar(const wchar_t* name);

// The system's message for `code`, in English where the system has it, with the number:
// "Access is denied. (5)".
std::string SystemMessage(DWORD code);
// "step: " + SystemMessage(code).
std::string StepFailed(const char* step, DWORD code);

bool IsSeparator(wchar_t c);
// `path` with exactly one '\' at its end ("" stays "").
std::wstring WithSeparator(std::wstring path);
// `path` without separators at its end, except the one of a drive root ("C:\").
std::wstring WithoutSeparator(std::wstring path);
// The folder part of `path`, without a trailing separator; empty when it has none.
std::wstring ParentFolder(const std::wstring& path);
// The absolute form of `path` (GetFullPathNameW: "." and ".." resolved, '/' made '\'); empty
// when it cannot be made.
std::wstring FullPath(const std::wstring& path);
// Length of the root of an absolute path: 3 for "C:\...", up to and including the separator after
// the share for "\\server\share\...", 0 when there is none.
std::size_t RootLength(const std::wstring& path);

// Creates `path` and its missing parents; true when it is a folder afterwards.
bool MakeFolders(const std::wstring& path, SECURITY_ATTRIBUTES* security = nullptr);
bool IsFolder(const std::wstring& path);

// Reads a whole file, shared with readers, writers and deleters; nothing when it cannot be
// opened or read, or holds more than `limit` bytes.
std::optional<std::string> ReadWholeFile(const std::wstring& path,
                                         std::uint64_t limit = 64u * 1024 * 1024);
// Writes every byte.
bool WriteAll(HANDLE file, const void* data, std::size_t size);

// The path of a known folder (SHGetKnownFolderPath); empty when the system has none.
std::wstring KnownFolder(const GUID& id);

}  // namespace platform::win32
