// Portable: the resource block's format, read through the caller's file access.
#include "ResourceBlock.h"

#include <cstring>

namespace platform::detail {
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

// False when the trailer is there but its fields cannot be true.
bool LocateBlock(const ReadAtFunction& readAt, std::uint64_t fileSize, BlockPlace& place) {
    place = BlockPlace{};
    if (fileSize < kTrailerSize) return true;
    std::uint8_t trailer[kTrailerSize];
    if (!readAt(fileSize - kTrailerSize, trailer, sizeof trailer)) return false;
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

}  // namespace

Bytes BuildResourceBlock(const ResourceMap& resources) {
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

bool LoadResourceBlock(const ReadAtFunction& readAt, std::uint64_t fileSize, BlockPlace& place,
                       ResourceMap& out) {
    if (!LocateBlock(readAt, fileSize, place)) return false;
    if (!place.present) {
        out.clear();
        return true;
    }
    // The length is bounded by the file's size, so this allocation is never larger than it.
    Bytes block(place.length);
    if (!readAt(place.start, block.data(), block.size())) return false;
    return ParseBlock(block, place.count, out);
}

}  // namespace platform::detail
