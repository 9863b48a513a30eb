// POSIX implementation: locale names to Windows language identifiers. Private to
// src/platform/posix/ and the platform tests.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform::posix {

// "zh_CN.UTF-8" -> 2052, "zh_TW" -> 1028, "pt_BR" -> 1046, "de" -> 1031, "sv_FI" -> 2077, ...
// A language without a known region maps to its primary LCID; an unknown language gives 0; no
// locale, "C" and "POSIX" give 1033.
std::uint16_t LcidFromLocaleName(std::string_view locale);

}  // namespace platform::posix
