// POSIX implementation: private helpers shared by the files of this folder only.
#include "PosixSupport.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace platform::posix {

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

int UniqueFd::Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

std::optional<std::string> EnvVar(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

std::string HomeFolder() {
    if (auto home = EnvVar("HOME")) {
        std::string path = *home;
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        return path;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return found->pw_dir;
    return "/";
}

bool KeepsEntriesFromOthers(const struct stat& info) {
    const bool ownedByUsOrRoot = info.st_uid == ::geteuid() || info.st_uid == 0;
    const bool othersWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return ownedByUsOrRoot && (!othersWrite || (info.st_mode & S_ISVTX) != 0);
}

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string("/");
}

std::string WithSlash(std::string path) {
    if (path.empty()) return path;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path != "/") path += '/';
    return path;
}

bool MakeFolders(const std::string& path, mode_t mode) {
    if (path.empty()) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    std::string parent = ParentFolder(trimmed);
    if (parent != trimmed && parent != ".") MakeFolders(parent, mode);
    if (::mkdir(trimmed.c_str(), mode) != 0 && errno != EEXIST) return false;
    return ::stat(trimmed.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t limit) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (got == 0) break;
        if (text.size() + static_cast<std::uint64_t>(got) > limit) return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t done = ::write(fd, bytes, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) ::fsync(fd.Get());
}

std::string ParentFolder(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::vector<std::string_view> SplitView(std::string_view text, char separator, bool keepEmpty) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        if (keepEmpty || end > start) pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

}  // namespace platform::posix
