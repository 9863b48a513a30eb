// The trailer that ends a section appended to a file (a setup's payload, a package's signature),
// so that a reader finds the section from the file's end:
//
//   [section][u64 little-endian section length][8 magic bytes]
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace FuntionImpl {

inline constexpr std::uint64_t kLengthTrailerSize = 16;
using TrailerMagic = char[8];

std::string LengthTrailer(std::uint64_t sectionLength, const TrailerMagic& magic);

// The length of the section whose trailer ends at byte `end` of `in`: nothing when no trailer
// with `magic` ends there, or its length is 0 or more than the bytes before the trailer.
std::optional<std::uint64_t> ReadLengthTrailer(std::istream& in, std::uint64_t end,
                                               const TrailerMagic& magic);

}  // namespace FuntionImpl
