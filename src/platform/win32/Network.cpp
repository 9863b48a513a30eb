// Windows implementation: the connection test is the system's IsNetworkAlive (sensapi); sockets
// are Winsock sockets.
#include "platform/Network.h"

// winsock2.h before windows.h (which would bring in the old winsock.h), and both before the
// headers that need their types.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <sensapi.h>
// clang-format on

namespace platform {

bool IsNetworkAlive() {
    DWORD flags = 0;
    ::SetLastError(ERROR_SUCCESS);
    if (::IsNetworkAlive(&flags)) return true;
    return ::GetLastError() != ERROR_SUCCESS;  // the call failed: counts as connected
}

std::int64_t UnreadSocketBytes(Socket socket) {
    u_long unread = 0;
    if (::ioctlsocket(static_cast<SOCKET>(socket), FIONREAD, &unread) != 0) return -1;
    return static_cast<std::int64_t>(unread);
}

// Winsock refuses the receive low-water mark (WSAENOPROTOOPT), so this is false there.
bool SetReceiveLowWater(Socket socket, int bytes) {
    const int mark = bytes < 1 ? 1 : bytes;
    return ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_RCVLOWAT,
                        reinterpret_cast<const char*>(&mark), sizeof mark) == 0;
}

bool CloseSocket(Socket socket) { return ::closesocket(static_cast<SOCKET>(socket)) == 0; }

}  // namespace platform
