// POSIX implementation: resources live in a trailer-marked block appended to the ELF file.
#include "platform/Resources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "PosixSupport.h"
#include "ResourceBlock.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace platform {
namespace {

bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got, offset += static_cast<std::uint64_t>(got),
            size -= static_cast<std::size_t>(got);
    }
    return true;
}

// Finds and parses the block of an open file.
bool LoadBlock(int fd, std::uint64_t fileSize, detail::BlockPlace& place, ResourceMap& out) {
    const auto readAt = [fd](std::uint64_t offset, void* buffer, std::size_t size) {
        return ReadAt(fd, offset, buffer, size);
    };
    return detail::LoadResourceBlock(readAt, fileSize, place, out);
}

bool CopyPrefix(int from, int to, std::uint64_t length) {
    std::uint8_t buffer[65536];
    std::uint64_t offset = 0;
    while (offset < length) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, length - offset));
        if (!ReadAt(from, offset, buffer, chunk) || !posix::WriteAll(to, buffer, chunk))
            return false;
        offset += chunk;
    }
    return true;
}

}  // namespace

// An ELF program has no resource table: everything lives in the block.
TableWrite WriteTableResource(const std::wstring&, std::string_view, const Bytes&) {
    return TableWrite::kNoTable;
}

bool ReadResources(const std::wstring& file, ResourceMap& out) {
    posix::UniqueFd fd(::open(WideToUtf8(file).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    detail::BlockPlace place;
    return LoadBlock(fd.Get(), static_cast<std::uint64_t>(info.st_size), place, out);
}

bool WriteResources(const std::wstring& file, const ResourceMap& resources) {
    const std::string path = WideToUtf8(file);
    posix::UniqueFd source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!source.Valid() || ::fstat(source.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    detail::BlockPlace place;
    ResourceMap old;
    // A damaged block hides where the program ends: refuse rather than guess.
    if (!LoadBlock(source.Get(), static_cast<std::uint64_t>(info.st_size), place, old))
        return false;
    const std::uint64_t programSize =
        place.present ? place.start : static_cast<std::uint64_t>(info.st_size);

    const std::string folder = posix::ParentFolder(path);
    const std::size_t slash = path.find_last_of('/');
    std::string temp =
        folder + "/." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".cvdres-XXXXXX";
    posix::UniqueFd target(::mkostemp(temp.data(), O_CLOEXEC));
    if (!target.Valid()) return false;
    const Bytes block = detail::BuildResourceBlock(resources);
    const bool written = CopyPrefix(source.Get(), target.Get(), programSize) &&
                         posix::WriteAll(target.Get(), block.data(), block.size()) &&
                         ::fchmod(target.Get(), info.st_mode & 07777) == 0 &&
                         ::fsync(target.Get()) == 0;
    target = posix::UniqueFd();
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    posix::SyncFolder(folder);
    return true;
}

const Bytes& OwnResource(std::string_view name) {
    static std::once_flag once;
    static ResourceMap resources;
    static const Bytes empty;
    std::call_once(once, [] {
        if (!ReadResources(ModulePath(), resources)) resources.clear();
    });
    const auto found = resources.find(std::string(name));
    return found == resources.end() ? empty : found->second;
}

}  // namespace platform
