// Network checks for the install flow: round-trip time with the system's ping, the user's proxy
// configuration (logged with failures) and the firewall registration at start-up.
#pragma once

#include <string>
#include <string_view>

#include "platform/ProxySettings.h"

namespace FuntionImpl {

// Average round-trip time to `host` in whole milliseconds (a reply faster than 1 ms counts as
// 1), asking for 2 x `limit` echoes (4 when `limit` is 0) and reading the answers for at most
// `limit` seconds when it is positive. -1 when the output pipe cannot be made, -2 when ping
// cannot be started (or the host is no plain host name for it), -3 when no reply was seen.
int PingUrl(const std::wstring& host, int limit);

// Sum and count of the reply times of ping output, one reply per "time=" value; a reply under
// 1 ms counts as 1. Lines split across reads must be joined by the caller.
struct PingReplies {
    long long sumMs = 0;
    int count = 0;
};
void AddPingReplies(std::string_view text, PingReplies& replies);
// The same for Windows' ping: per "TTL=", the leading digits after the "=" before it ("time=15ms
// TTL=54" gives 15; "time<1ms TTL=54" gives the byte count before it).
void AddTtlPingReplies(std::string_view text, PingReplies& replies);

using ProxyConfig = platform::ProxySettings;
// The user's proxy settings (platform::UserProxySettings).
ProxyConfig ReadProxyConfig();
// 0 none, 1 automatic-configuration script, 2 proxy server, 3 bypass list (the highest set),
// logging each value that is set.
int ProxyConfigLevel(const ProxyConfig& config);
// ProxyConfigLevel of ReadProxyConfig.
int GetIEProxyConfig();

// Linux has no firewall registry of authorised programs to add to: the registration is
// reported as not reachable (-1) and the caller goes on.
int AuthorizeInFirewall(const std::wstring& executablePath);

}  // namespace FuntionImpl
