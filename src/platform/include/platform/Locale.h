// The user's interface language as a Windows language identifier (LCID), so the language
// tables of the installer work unchanged.
#pragma once

#include <cstdint>

namespace platform {

// Windows: GetUserDefaultUILanguage. Linux: the LCID of the first of LC_ALL, LC_MESSAGES, LANG
// that is set and not empty; 1033 when none is set or the locale is "C"/"POSIX"; 0 when the
// language is not known.
std::uint16_t UserUiLanguage();

}  // namespace platform
