#include "telemetry/LegacyPageFetch.h"

#include <curl/curl.h>

#include <memory>

#include "platform/Clock.h"

namespace {

constexpr long kTimeoutMs = 6000;
constexpr long kReceiveBlock = 16384;

size_t AppendToText(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::unique_ptr<curl_slist, CurlDeleter> BrowserHeaders() {
    const char* lines[] = {
        "Accept: */*",
        "Accept-Language: zh-cn",
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)",
        "Pragma: no-cache",
        "Cache-Control: no-cache",
    };
    curl_slist* list = nullptr;
    for (const char* line : lines) list = curl_slist_append(list, line);
    return std::unique_ptr<curl_slist, CurlDeleter>(list);
}

}  // namespace

int FetchLegacyPage(const std::string& url, std::string& body) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return -1;
    const auto headers = BrowserHeaders();
    const std::string agent = "Agent" + std::to_string(platform::TickCount());
    std::string received;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, kTimeoutMs);
    // A receive time-out: give up after 6 s in which not a byte arrived.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kTimeoutMs / 1000);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBlock);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendToText);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (curl_easy_perform(handle) != CURLE_OK) return -1;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) return -1;
    body += received;
    return 0;
}
