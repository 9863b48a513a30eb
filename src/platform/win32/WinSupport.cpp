// Windows implementation: private helpers shared by the files of this folder only.
#include "WinSupport.h"

#include <shlobj.h>

#include <vector>

#include "platform/Text.h"

namespace platform::win32 {

UniqueHandle::~UniqueHandle() {
    if (Valid()) ::CloseHandle(handle_);
}

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
        if (Valid()) ::CloseHandle(handle_);
        handle_ = other.Release();
    }
    return *this;
}

HANDLE UniqueHandle::Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
}

std::optional<std::wstring> EnvVar(const wchar_t* name) {
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD length =
            ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // the size asked for, terminator included
    }
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD length = ::FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT),
                                    reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0)
        length = ::FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0,
                                  nullptr);
    std::wstring message = length ? std::wstring(text, length) : std::wstring(L"system error");
    if (text) ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == L' ' || message.back() == L'\r' || message.back() == L'\n'))
        message.pop_back();
    return WideToUtf8(message) + " (" + std::to_string(code) + ")";
}

std::string StepFailed(const char* step, DWORD code) {
    return std::string(step) + ": " + SystemMessage(code);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring WithSeparator(std::wstring path) {
    if (path.empty()) return path;
    while (!path.empty() && IsSeparator(path.back())) path.pop_back();
    return path + L'\\';
}

std::wstring WithoutSeparator(std::wstring path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    if (path.size() == 2 && path[1] == L':') path += L'\\';  // a drive root keeps its separator
    return path;
}

std::wstring ParentFolder(const std::wstring& path) {
    const std::wstring trimmed = WithoutSeparator(path);
    const std::size_t root = RootLength(trimmed);
    const std::size_t slash = trimmed.find_last_of(L"\\/");
    if (slash == std::wstring::npos || trimmed.size() <= root) return {};
    if (slash < root) return trimmed.substr(0, root);
    return WithoutSeparator(trimmed.substr(0, slash == 0 ? 1 : slash));
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                                buffer.data(), nullptr);
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

std::size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) return 3;
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
    // \\server\share\ (also \\?\UNC\server\share\, whose server and share come one level later)
    std::size_t separators = 0, i = 2;
    const std::size_t wanted = path.compare(0, 8, L"\\\\?\\UNC\\") == 0 ? 3 : 2;
    for (; i < path.size(); ++i)
        if (IsSeparator(path[i]) && ++separators == wanted) return i + 1;
    return separators == wanted - 1 ? path.size() : 0;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::wstring& path, SECURITY_ATTRIBUTES* security) {
    const std::wstring folder = WithoutSeparator(path);
    if (folder.empty()) return false;
    if (IsFolder(folder)) return true;
    const std::wstring parent = ParentFolder(folder);
    if (!parent.empty() && parent != folder) MakeFolders(parent, security);
    ::CreateDirectoryW(folder.c_str(), security);
    return IsFolder(folder);
}

std::optional<std::string> ReadWholeFile(const std::wstring& path, std::uint64_t limit) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        if (text.size() + got > limit) return std::nullopt;
        text.append(buffer, got);
    }
    return text;
}

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
        DWORD done = 0;
        if (!::WriteFile(file, bytes, chunk, &done, nullptr) || done == 0) return false;
        bytes += done;
        size -= done;
    }
    return true;
}

std::wstring KnownFolder(const GUID& id) {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

}  // namespace platform::win32
