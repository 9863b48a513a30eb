// POSIX implementation: the interfaces and their addresses come from getifaddrs().
#include "platform/Network.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "NetworkInterfaces.h"

namespace platform {

using posix::InterfaceState;

bool posix::IsNetworkAlive(const std::vector<InterfaceState>& interfaces) {
    return std::any_of(interfaces.begin(), interfaces.end(), [](const InterfaceState& state) {
        return state.up && !state.loopback && state.hasAddress;
    });
}

bool IsNetworkAlive() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return true;
    std::map<std::string, InterfaceState> byName;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        InterfaceState& state = byName[entry->ifa_name];
        state.name = entry->ifa_name;
        state.up = state.up || (entry->ifa_flags & IFF_UP);
        state.loopback = state.loopback || (entry->ifa_flags & IFF_LOOPBACK);
        const int family = entry->ifa_addr ? entry->ifa_addr->sa_family : AF_UNSPEC;
        state.hasAddress = state.hasAddress || family == AF_INET || family == AF_INET6;
    }
    freeifaddrs(list);
    std::vector<InterfaceState> interfaces;
    for (auto& [name, state] : byName) interfaces.push_back(state);
    return posix::IsNetworkAlive(interfaces);
}

std::int64_t UnreadSocketBytes(Socket socket) {
    int unread = 0;
    if (ioctl(static_cast<int>(socket), FIONREAD, &unread) != 0) return -1;
    return unread;
}

bool SetReceiveLowWater(Socket socket, int bytes) {
    const int mark = bytes < 1 ? 1 : bytes;
    return setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_RCVLOWAT, &mark, sizeof mark) == 0;
}

bool CloseSocket(Socket socket) { return close(static_cast<int>(socket)) == 0; }

}  // namespace platform
