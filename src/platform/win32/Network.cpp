// Windows implementation: the connection test is the system's IsNetworkAlive (sensapi.dll, loaded
// from the system folder at the call: the 32-bit MinGW libraries have no import library for it);
// sockets are Winsock sockets.
#include "platform/Network.h"

// winsock2.h before windows.h, which would bring in the old winsock.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

namespace platform {

bool IsNetworkAlive() {
    using IsNetworkAliveFunction = BOOL(WINAPI*)(DWORD*);
    const HMODULE sensapi = ::LoadLibraryExW(L"sensapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!sensapi) return true;  // no answer counts as connected
    // Through void*: a FARPROC takes no arguments, so a direct cast draws a warning.
    const auto isAlive = reinterpret_cast<IsNetworkAliveFunction>(
        reinterpret_cast<void*>(::GetProcAddress(sensapi, "IsNetworkAlive")));
    DWORD flags = 0;
    ::SetLastError(ERROR_SUCCESS);
    const bool alive = !isAlive || isAlive(&flags) || ::GetLastError() != ERROR_SUCCESS;
    ::FreeLibrary(sensapi);
    return alive;
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
