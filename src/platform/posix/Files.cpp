// POSIX implementation: O_CREAT|O_EXCL|O_NOFOLLOW temporary file, fsync, rename; settings files
// judged by fstat of the descriptor they are read from; mkdtemp for private folders; copies read
// through an O_NOFOLLOW descriptor; OpenFile is fopen of the UTF-8 name, close-on-exec.
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "PosixSupport.h"
#include "platform/Text.h"

namespace platform {
namespace {

constexpr int kNameTries = 16;

// A fresh name beside `target`; a stale one left by a crash, or anything planted, is never reused.
posix::UniqueFd CreateTemporary(const std::string& target, std::string& temporary) {
    std::random_device seed;
    std::mt19937_64 random(static_cast<std::uint64_t>(seed()) << 32 ^ seed() ^ ::getpid());
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        temporary = target + "." + std::to_string(random() % 1000000000ull) + ".tmp";
        posix::UniqueFd fd(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.Valid() || errno != EEXIST) return fd;
    }
    return posix::UniqueFd();
}

bool OthersMayHaveWritten(const struct stat& info) {
    const bool ownedByUsOrRoot = info.st_uid == ::geteuid() || info.st_uid == 0;
    return !ownedByUsOrRoot || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// Reads at most `limit` bytes; false on an error or when the file holds more.
bool ReadAtMost(int fd, std::uint64_t limit, std::string& bytes) {
    bytes.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (bytes.size() + static_cast<std::uint64_t>(got) > limit) return false;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

bool Fail(std::string& error, const char* step) {
    error = std::string(step) + ": " + std::strerror(errno);
    return false;
}

bool CopyBytes(int from, int to, std::uint64_t size, std::string& error) {
    std::vector<char> buffer(1 << 20);
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail(error, "read");
        if (got == 0) break;
        if (!posix::WriteAll(to, buffer.data(), static_cast<std::size_t>(got)))
            return Fail(error, "write");
        copied += static_cast<std::uint64_t>(got);
    }
    if (copied == size) return true;
    error = "the file changed size while it was copied";
    return false;
}

}  // namespace

SettingsFileRead ReadSettingsFile(const std::wstring& path, std::uint64_t limit,
                                  std::string& bytes) {
    bytes.clear();
    posix::UniqueFd fd(
        ::open(WideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid())
        return errno == ENOENT || errno == ENOTDIR ? SettingsFileRead::Missing
                                                   : SettingsFileRead::Unreadable;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return SettingsFileRead::Unreadable;
    if (OthersMayHaveWritten(info)) return SettingsFileRead::NotTrusted;
    if (!S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_size) > limit ||
        !ReadAtMost(fd.Get(), limit, bytes)) {
        bytes.clear();
        return SettingsFileRead::Unreadable;
    }
    return SettingsFileRead::Read;
}

FilePtr OpenFile(const std::wstring& path, const char* mode) {
    // 'e': O_CLOEXEC, set at open time so no concurrent start of a program can inherit it.
    const std::string closedOnExec = std::string(mode) + "e";
    return FilePtr(std::fopen(WideToUtf8(path).c_str(), closedOnExec.c_str()));
}

bool MakeFolders(const std::wstring& folder) {
    const std::filesystem::path path(WideToUtf8(folder));
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

std::optional<std::wstring> MakeFreshPrivateFolder(const std::wstring& parent,
                                                   const std::wstring& prefix, std::string& error) {
    std::string pattern = posix::WithSlash(WideToUtf8(parent)) + WideToUtf8(prefix) + "XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        Fail(error, "mkdtemp");
        return std::nullopt;
    }
    return Utf8ToWide(pattern);
}

bool CopyFilePrivately(const std::wstring& source, const std::wstring& target, std::string& error) {
    const posix::UniqueFd from(
        ::open(WideToUtf8(source).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!from.Valid()) return Fail(error, "open source");
    struct stat info {};
    if (::fstat(from.Get(), &info) != 0) return Fail(error, "stat source");
    if (!S_ISREG(info.st_mode)) {
        error = "the source is not a regular file";
        return false;
    }
    const std::string copy = WideToUtf8(target);
    posix::UniqueFd to(
        ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (!to.Valid()) return Fail(error, "create copy");
    if (CopyBytes(from.Get(), to.Get(), static_cast<std::uint64_t>(info.st_size), error) &&
        ::close(to.Release()) == 0)
        return true;
    if (error.empty()) Fail(error, "close copy");
    ::unlink(copy.c_str());
    return false;
}

bool ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
    const std::string target = WideToUtf8(path);
    std::string temporary;
    posix::UniqueFd fd = CreateTemporary(target, temporary);
    if (!fd.Valid()) return false;
    const bool written = posix::WriteAll(fd.Get(), bytes.data(), bytes.size()) &&
                         ::fsync(fd.Get()) == 0 && ::close(fd.Release()) == 0;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    posix::SyncFolder(posix::ParentFolder(target));
    return true;
}

}  // namespace platform
