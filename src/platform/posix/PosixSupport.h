// POSIX implementation: private helpers shared by the files of this folder only.
// Nothing outside src/platform/posix/ (and the platform tests) includes this header.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// A file descriptor closed when the object goes away.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();

private:
    int fd_ = -1;
};

// The value of an environment variable when it is set and not empty.
std::optional<std::string> EnvVar(const char* name);

// The user's home folder: $HOME, else the password database; without a trailing '/'.
std::string HomeFolder();

// Whether a folder with this status keeps other users from renaming what lies in it: owned by
// this user or root, and writable by neither group nor others unless sticky (as /tmp is, where
// only an entry's owner may rename it).
bool KeepsEntriesFromOthers(const struct stat& info);

// The working folder; "/" when it cannot be read.
std::string CurrentFolder();

// `path` with exactly one '/' at its end ("" stays "").
std::string WithSlash(std::string path);

// Creates `path` and its missing parents with `mode`; true when it is a folder afterwards.
bool MakeFolders(const std::string& path, mode_t mode);

// Reads a whole file; nothing when it cannot be opened or read. Refuses files larger than
// `limit` bytes so a damaged or hostile file cannot make us allocate without bound.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::uint64_t limit = 64u * 1024 * 1024);

// Writes every byte, retrying short writes and EINTR.
bool WriteAll(int fd, const void* data, std::size_t size);

// Makes a rename in `folder` durable (fsync of the folder); failures are ignored because
// some file systems refuse to sync folders.
void SyncFolder(const std::string& folder);

// The pieces of `text` between separators; empty pieces are dropped when `keepEmpty` is false.
std::vector<std::string_view> SplitView(std::string_view text, char separator, bool keepEmpty);

// The folder part of `path` ("." when it has none).
std::string ParentFolder(const std::string& path);

}  // namespace platform::posix
