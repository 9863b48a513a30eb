// Windows implementation: the user's interface language is the system's own LCID.
#include "platform/Locale.h"

#include <windows.h>

namespace platform {

std::uint16_t UserUiLanguage() { return ::GetUserDefaultUILanguage(); }

}  // namespace platform
