// Whether the machine has a network connection at all, and the few socket settings the download
// engine tunes on the connections libcurl opens.
#pragma once

#include <cstdint>
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

// Sockets are passed as the integer the OS names them by.
using Socket = std::intptr_t;

// Bytes received on a connected socket and not yet read; -1 when that cannot be told.
std::int64_t UnreadSocketBytes(Socket socket);
// The socket is reported readable, and its reader woken, only once it holds `bytes` (at least 1).
bool SetReceiveLowWater(Socket socket, int bytes);
bool CloseSocket(Socket socket);

}  // namespace platform
