// POSIX implementation: the text parsers behind SystemInfo.h, apart so tests can feed them
// fixtures. Private to src/platform/posix/ and the platform tests.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

struct OsRelease {
    std::string name;     // PRETTY_NAME, else NAME, else "Linux"
    std::string version;  // VERSION_ID, may be empty
};

OsRelease ParseOsRelease(std::string_view text);

// The interface name of the default route in the text of /proc/net/route, else empty.
std::string ParseDefaultRouteInterface(std::string_view procNetRoute);

}  // namespace platform::posix
