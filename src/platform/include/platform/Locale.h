// The user's interface language as a Windows language identifier (LCID), so the language
// tables of the installer work unchanged.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// The LCID of the first of LC_ALL, LC_MESSAGES, LANG that is set and not empty; 1033 when none
// is set or the locale is "C"/"POSIX"; 0 when the language is not known.
std::uint16_t UserUiLanguage();

// "zh_CN.UTF-8" -> 2052, "zh_TW" -> 1028, "pt_BR" -> 1046, "de" -> 1031, "sv_FI" -> 2077, ...
// A language without a known region maps to its primary LCID; an unknown language gives 0.
std::uint16_t LcidFromLocaleName(std::string_view locale);

}  // namespace platform
