// One GET of the legacy reporting family: browser-like headers, the system's proxy settings,
// 6 s to connect and 6 s of silence at most, content decoded, no certificate checks.
#pragma once

#include <string>

// 0 and the body when the answer was HTTP 200; -1 for any failure or other status.
int FetchLegacyPage(const std::string& url, std::string& body);
