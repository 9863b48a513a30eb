// Windows implementation: the registry file store's file access. Writers hold an in-process
// mutex and an exclusive LockFileEx on `registry.lock`, read the current file, change it, write
// `registry.txt.tmp`, flush it and move it over `registry.txt` (MoveFileExW). Readers open the
// store sharing it for deletion, so the move can replace it under them.
#include <windows.h>

#include <mutex>

#include "RegistryFileStore.h"
#include "WinSupport.h"
#include "platform/Clock.h"

namespace platform::detail {
namespace {

constexpr wchar_t kStoreFile[] = L"registry.txt";
constexpr wchar_t kTempFile[] = L"registry.txt.tmp";
constexpr wchar_t kLockFile[] = L"registry.lock";
// A reader may hold the store open for a moment; the move is retried that long.
constexpr std::uint32_t kMoveRetryMs = 2000;

bool MoveOver(const std::wstring& from, const std::wstring& to) {
    const std::uint32_t start = TickCount();
    for (;;) {
        if (::MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            TickCount() - start >= kMoveRetryMs)
            return false;
        SleepMs(5);
    }
}

bool Save(const std::wstring& folder, const std::string& text) {
    const std::wstring temp = folder + kTempFile;
    win32::UniqueHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    const bool written = win32::WriteAll(file.Get(), text.data(), text.size()) &&
                         ::FlushFileBuffers(file.Get()) && ::CloseHandle(file.Release());
    if (!written || !MoveOver(temp, folder + kStoreFile)) {
        file = win32::UniqueHandle();
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

// Serialises writers of this process; the file lock serialises processes.
std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

std::string ReadRegistryText(const std::wstring& folder) {
    return win32::ReadWholeFile(win32::WithSeparator(folder) + kStoreFile).value_or(std::string());
}

bool ChangeRegistryText(const std::wstring& wideFolder,
                        const std::function<bool(std::string& text)>& change) {
    const std::wstring folder = win32::WithSeparator(wideFolder);
    if (folder.empty() || !win32::MakeFolders(folder)) return false;
    std::lock_guard<std::mutex> guard(WriterMutex());
    const win32::UniqueHandle lock(::CreateFileW(
        (folder + kLockFile).c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lock.Valid()) return false;
    OVERLAPPED whole{};
    if (!::LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return false;
    std::string text = win32::ReadWholeFile(folder + kStoreFile).value_or(std::string());
    const bool saved = change(text) && Save(folder, text);
    ::UnlockFileEx(lock.Get(), 0, MAXDWORD, MAXDWORD, &whole);
    return saved;
}

}  // namespace platform::detail
