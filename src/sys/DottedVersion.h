// Product versions as a Windows version resource holds them: one to four numbers of 0-65535
// separated by '.', missing trailing numbers reading as 0 ("1.2" is "1.2.0.0").
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace FuntionImpl {

using DottedVersion = std::array<std::uint16_t, 4>;

// Nothing when `text` is not such a version (empty part, sign, blank, letter, number too large).
std::optional<DottedVersion> ParseDottedVersion(std::string_view text);

}  // namespace FuntionImpl
