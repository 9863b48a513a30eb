// POSIX implementation: O_CREAT|O_EXCL|O_NOFOLLOW temporary file, fsync, rename; settings files
// judged by fstat of the descriptor they are read from.
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

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
