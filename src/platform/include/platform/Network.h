// Whether the machine has a network connection at all.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct InterfaceState {
    std::string name;
    bool up = false;
    bool loopback = false;
    bool hasAddress = false;  // an IPv4 or IPv6 address
};

// False only when no interface besides loopback is up with an address; any error reading the
// interfaces counts as connected, so a doubtful answer never stops a download.
bool IsNetworkAlive();
bool IsNetworkAlive(const std::vector<InterfaceState>& interfaces);

}  // namespace platform
