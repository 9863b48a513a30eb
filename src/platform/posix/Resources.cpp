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
#include "platform/Paths.h"
#include "platform/Text.h"

namespace platform {
namespace {

constexpr char kMagic[8] = {'C', 'V', 'D', 'R', 'E', 'S', '0', '1'};
constexpr std::uint64_t kTrailerSize = 4 + 8 + sizeof kMagic;
constexpr std::uint64_t kEntryHeaderSize = 4 + 8;  // name length + data length

std::uint64_t GetLe(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

void PutLe(Bytes& out, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

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

// Where the block sits in a file of `fileSize` bytes.
struct BlockPlace {
    bool present = false;
    std::uint64_t start = 0;   // first byte of the block (= size of the program before it)
    std::uint64_t length = 0;  // bytes of entries, trailer excluded
    std::uint32_t count = 0;
};

// False when the trailer is there but its fields cannot be true.
bool LocateBlock(int fd, std::uint64_t fileSize, BlockPlace& place) {
    place = BlockPlace{};
    if (fileSize < kTrailerSize) return true;
    std::uint8_t trailer[kTrailerSize];
    if (!ReadAt(fd, fileSize - kTrailerSize, trailer, sizeof trailer)) return false;
    if (std::memcmp(trailer + 12, kMagic, sizeof kMagic) != 0) return true;  // no block
    place.count = static_cast<std::uint32_t>(GetLe(trailer, 4));
    place.length = GetLe(trailer + 4, 8);
    if (place.length > fileSize - kTrailerSize) return false;
    if (place.count > place.length / kEntryHeaderSize) return false;
    place.present = true;
    place.start = fileSize - kTrailerSize - place.length;
    return true;
}

// Parses `block` (entries only); every length is checked against what is left.
bool ParseBlock(const Bytes& block, std::uint32_t count, ResourceMap& out) {
    ResourceMap map;
    std::uint64_t pos = 0;
    const std::uint64_t size = block.size();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (size - pos < 4) return false;
        const std::uint64_t nameLength = GetLe(&block[pos], 4);
        pos += 4;
        if (size - pos < nameLength) return false;
        std::string name(reinterpret_cast<const char*>(block.data() + pos), nameLength);
        pos += nameLength;
        if (size - pos < 8) return false;
        const std::uint64_t dataLength = GetLe(&block[pos], 8);
        pos += 8;
        if (size - pos < dataLength) return false;
        Bytes data(block.begin() + static_cast<std::ptrdiff_t>(pos),
                   block.begin() + static_cast<std::ptrdiff_t>(pos + dataLength));
        pos += dataLength;
        if (!map.emplace(std::move(name), std::move(data)).second) return false;  // duplicate
    }
    if (pos != size) return false;  // the count and the length disagree
    out = std::move(map);
    return true;
}

Bytes BuildBlock(const ResourceMap& resources) {
    Bytes block;
    if (resources.empty()) return block;
    for (const auto& [name, data] : resources) {
        PutLe(block, name.size(), 4);
        block.insert(block.end(), name.begin(), name.end());
        PutLe(block, data.size(), 8);
        block.insert(block.end(), data.begin(), data.end());
    }
    const std::uint64_t length = block.size();
    PutLe(block, resources.size(), 4);
    PutLe(block, length, 8);
    block.insert(block.end(), kMagic, kMagic + sizeof kMagic);
    return block;
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

// Finds and parses the block of an open file; a file without a block gives an empty map.
bool LoadBlock(int fd, std::uint64_t fileSize, BlockPlace& place, ResourceMap& out) {
    if (!LocateBlock(fd, fileSize, place)) return false;
    if (!place.present) {
        out.clear();
        return true;
    }
    // The length is bounded by the file's size, so this allocation is never larger than it.
    Bytes block(place.length);
    if (!ReadAt(fd, place.start, block.data(), block.size())) return false;
    return ParseBlock(block, place.count, out);
}

}  // namespace

bool ReadResources(const std::wstring& file, ResourceMap& out) {
    posix::UniqueFd fd(::open(WideToUtf8(file).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    BlockPlace place;
    return LoadBlock(fd.Get(), static_cast<std::uint64_t>(info.st_size), place, out);
}

bool WriteResources(const std::wstring& file, const ResourceMap& resources) {
    const std::string path = WideToUtf8(file);
    posix::UniqueFd source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!source.Valid() || ::fstat(source.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    BlockPlace place;
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
    const Bytes block = BuildBlock(resources);
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
