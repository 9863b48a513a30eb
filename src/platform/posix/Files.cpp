// POSIX implementation: O_CREAT|O_EXCL|O_NOFOLLOW temporary file, fsync, rename.
#include "platform/Files.h"

#include <fcntl.h>
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

}  // namespace

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
