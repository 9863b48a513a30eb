// Named resources carried inside a built executable. They live in a block appended to the
// executable file and closed by a fixed trailer, so a tool can replace them in a built program
// without recompiling it, and the loader finds them from the end of the file. On Windows a
// resource of the executable's own resource table ("TYPE/ID": type name TYPE, numeric id ID,
// found with FindResourceW) comes first; the block is the fallback for what the table lacks.
//
// Layout of the block (all integers little-endian):
//   for each resource: u32 name length, name bytes, u64 data length, data bytes
//   trailer: u32 resource count, u64 block length (everything before the trailer), 8 bytes
//   "CVDRES01"
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using Bytes = std::vector<std::uint8_t>;
using ResourceMap = std::map<std::string, Bytes>;

// Well-known resource names.
inline constexpr std::string_view kSkinResource = "ZIPRES/138";
inline constexpr std::string_view kIconResource = "ICON/143";

// Reads the resources of an executable file. False when the file cannot be read or its block is
// damaged; a file without a block reads as true with an empty map. Windows: the skin package of
// the file's resource table, when it holds one, takes the place of the block's.
bool ReadResources(const std::wstring& file, ResourceMap& out);

// Replacing a resource in an executable's resource table (Windows: UpdateResourceW), so that a
// built program gets another skin package without recompiling. The table is part of what an
// Authenticode signature covers: the program must be signed again afterwards.
enum class TableWrite {
    kNoTable,  // the file keeps no such resource in a table (not a Windows program; Linux)
    kWritten,
    kFailed,
};
TableWrite WriteTableResource(const std::wstring& file, std::string_view name, const Bytes& data);

// Rewrites `file` so that its block holds exactly `resources` (an empty map removes the block).
// Atomic: a temporary file is written and renamed over the original, keeping its mode.
bool WriteResources(const std::wstring& file, const ResourceMap& resources);

// The resource `name` of the running executable; empty when absent. Read once, then cached.
// Windows: the resource table first, then the block.
const Bytes& OwnResource(std::string_view name);

}  // namespace platform
