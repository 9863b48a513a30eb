// Whether the machine has a network connection at all, and the few socket settings the download
// engine tunes on the connections libcurl opens.
#pragma once

#include <cstdint>

namespace platform {

// False only when the system says there is no connection at all; any error counts as connected,
// so a doubtful answer never stops a download. Windows: IsNetworkAlive of the system (sensapi).
// Linux: no interface besides loopback is up with an address.
bool IsNetworkAlive();

// Sockets are passed as the integer the OS names them by.
using Socket = std::intptr_t;

// Bytes received on a connected socket and not yet read; -1 when that cannot be told.
std::int64_t UnreadSocketBytes(Socket socket);
// The socket is reported readable, and its reader woken, only once it holds `bytes` (at least 1).
// False where the system refuses the setting (Windows, and Wine, answer WSAENOPROTOOPT): the
// reader is then woken for every byte.
bool SetReceiveLowWater(Socket socket, int bytes);
bool CloseSocket(Socket socket);

}  // namespace platform
