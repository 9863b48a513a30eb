// Windows implementation: WinHttpGetIEProxyConfigForCurrentUser; its strings are freed with
// GlobalFree.
#include "platform/ProxySettings.h"

#include <windows.h>
// The headers below build on the types windows.h declares.
#include <winhttp.h>

#include "platform/Text.h"

namespace platform {
namespace {

// Taken over from WinHTTP: converted, then freed.
std::string TakeText(LPWSTR text) {
    if (!text) return {};
    std::string utf8 = WideToUtf8(text);
    GlobalFree(text);
    return utf8;
}

}  // namespace

ProxySettings UserProxySettings() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    ProxySettings settings;
    settings.queryResult = WinHttpGetIEProxyConfigForCurrentUser(&config) ? 1 : 0;
    settings.queryError = GetLastError();
    if (settings.queryResult == 0) return settings;
    settings.autoConfigUrl = TakeText(config.lpszAutoConfigUrl);
    settings.proxy = TakeText(config.lpszProxy);
    settings.bypass = TakeText(config.lpszProxyBypass);
    return settings;
}

}  // namespace platform
