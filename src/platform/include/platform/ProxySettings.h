// The user's proxy configuration for web access, as the browser settings of the system hold
// it. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct ProxySettings {
    std::string autoConfigUrl;
    std::string proxy;
    std::string bypass;
    int queryResult = 1;           // the system call's own result (1: answered)
    std::uint32_t queryError = 0;  // the system's error number when it did not answer
};

// Windows: the Internet Options of the current user (WinHTTP's reading of them).
// Linux: the proxy environment (https_proxy, http_proxy, all_proxy, no_proxy, either case),
// completed by the desktop's settings (GNOME org.gnome.system.proxy) when it sets nothing.
ProxySettings UserProxySettings();

}  // namespace platform
