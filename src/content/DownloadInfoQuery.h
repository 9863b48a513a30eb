// The update server's download information: which package to fetch, its checksums and size,
// and extra package URLs tried before the configuration document's. Acts on
// CConfigure::Instance().
//
// Threading: runs on the window's first background thread ("Async") and on the install thread
// ("Sync"), possibly at the same time; every field goes through the record's locked setters.
#pragma once

#include <string>

namespace content {

// "&package_type=2" for department 1 on a 64-bit system, "&package_type=5" for department 2
// below Windows 10, else "".
std::string PackageTypeSuffix(int department, bool is64BitSystem, float windowsVersion);

struct UpdateEndpoint {
    std::string base;    // scheme and host, e.g. "https://127.0.0.1:8443"
    std::string region;  // "cn" or "com", for the log
};
// The test host over plain HTTP when TestEnv is on, else the China or international host.
UpdateEndpoint UpdateServerEndpoint(bool testEnv, bool chinaSite);

// Queries the update server, stores the URL as QueryUrl, sends the timing and error events and
// applies the answer while the configuration still comes from the document. 1 when the answer
// held both Downloader tags, else 0. `sync` only names the caller in logs and events.
int getDownloadInfoServer(bool sync);

// Applies an answer body; 0 for an empty body, else 1 (also when it does not parse: the
// configuration then counts as coming from the server with nothing changed).
int readDownloadInfoFromServer(std::string answer);

// True when `body` holds "<Downloader>" and, at least 12 characters after it, "</Downloader>".
bool HasDownloaderTags(const std::string& body);

}  // namespace content
