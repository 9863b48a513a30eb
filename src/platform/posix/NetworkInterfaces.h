// POSIX implementation: the connection rule of IsNetworkAlive over the interfaces getifaddrs
// lists, apart so tests can feed it. Private to src/platform/posix/ and the platform tests.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

struct InterfaceState {
    std::string name;
    bool up = false;
    bool loopback = false;
    bool hasAddress = false;  // an IPv4 or IPv6 address
};

// False only when no interface besides loopback is up with an address.
bool IsNetworkAlive(const std::vector<InterfaceState>& interfaces);

}  // namespace platform::posix
