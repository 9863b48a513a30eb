// Portable: the resource block of Resources.h (its layout is written there), read and built
// apart from how each system reads and writes files. Private to src/platform/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/Resources.h"

namespace platform::detail {

// Reads exactly `size` bytes at `offset` of the file being examined; false on any failure.
using ReadAtFunction = std::function<bool(std::uint64_t offset, void* buffer, std::size_t size)>;

// Where the block sits in a file.
struct BlockPlace {
    bool present = false;
    std::uint64_t start = 0;   // first byte of the block (= size of the program before it)
    std::uint64_t length = 0;  // bytes of entries, trailer excluded
    std::uint32_t count = 0;
};

// Finds and parses the block of a file of `fileSize` bytes; a file without a block gives an
// empty map. False when the block is damaged: every length is checked against the file.
bool LoadResourceBlock(const ReadAtFunction& readAt, std::uint64_t fileSize, BlockPlace& place,
                       ResourceMap& out);

// The block (entries and trailer) that holds exactly `resources`.
Bytes BuildResourceBlock(const ResourceMap& resources);

}  // namespace platform::detail
