// POSIX implementation: the registry file store's file access. Writers hold an in-process mutex
// and an exclusive flock on `registry.lock`, read the current file, change it, write
// `registry.txt.tmp`, fsync it and rename it over `registry.txt`.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "PosixSupport.h"
#include "RegistryFileStore.h"
#include "platform/Text.h"

namespace platform::detail {
namespace {

constexpr char kStoreFile[] = "registry.txt";
constexpr char kTempFile[] = "registry.txt.tmp";
constexpr char kLockFile[] = "registry.lock";

bool Save(const std::string& folder, const std::string& text) {
    const std::string temp = folder + kTempFile;
    posix::UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.Valid()) return false;
    if (!posix::WriteAll(fd.Get(), text.data(), text.size()) || ::fsync(fd.Get()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    fd = posix::UniqueFd();
    if (::rename(temp.c_str(), (folder + kStoreFile).c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    posix::SyncFolder(folder);
    return true;
}

// Serialises writers of this process; flock serialises processes (and would serialise threads
// too, but a mutex is cheaper and does not depend on the file system supporting flock).
std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

std::string ReadRegistryText(const std::wstring& folder) {
    return posix::ReadWholeFile(posix::WithSlash(WideToUtf8(folder)) + kStoreFile)
        .value_or(std::string());
}

bool ChangeRegistryText(const std::wstring& wideFolder,
                        const std::function<bool(std::string& text)>& change) {
    const std::string folder = posix::WithSlash(WideToUtf8(wideFolder));
    if (folder.empty() || !posix::MakeFolders(folder, 0755)) return false;
    std::lock_guard<std::mutex> guard(WriterMutex());
    posix::UniqueFd lock(::open((folder + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock.Valid())
        lock = posix::UniqueFd(::open((folder + kLockFile).c_str(), O_RDONLY | O_CLOEXEC));
    if (!lock.Valid()) return false;
    while (::flock(lock.Get(), LOCK_EX) != 0)
        if (errno != EINTR) return false;
    std::string text = posix::ReadWholeFile(folder + kStoreFile).value_or(std::string());
    if (!change(text)) return false;
    return Save(folder, text);  // closing `lock` afterwards releases the flock
}

}  // namespace platform::detail
