#include "net/CurlHttpClient.h"

#include <curl/curl.h>

#include <cstdio>

namespace {

size_t AppendToText(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

}  // namespace

// Owns the libcurl handle and header list of one request.
struct CurlHttpClient::Request {
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    std::string response;
    ~Request() {
        curl_slist_free_all(headers);
        if (curl) curl_easy_cleanup(curl);
    }
};

void CurlHttpClient::Log(const char* format, int code) const {
    if (!sink_) return;
    char line[128];
    std::snprintf(line, sizeof line, format, code);
    sink_(line);
}

std::string CurlHttpClient::Proxy() const {
    std::lock_guard guard(resultsLock_);
    return proxy_;
}

void CurlHttpClient::SetProxy(const std::string& proxy) {
    std::lock_guard guard(resultsLock_);
    proxy_ = proxy;
}

int CurlHttpClient::Get(const std::string& url, const std::string& header) {
    return Perform(url, header, nullptr);
}

int CurlHttpClient::Post(const std::string& url, const std::string& header,
                         const std::string& body) {
    return Perform(url, header, &body);
}

// Set-up failures are logged and the handle is used anyway, so the request then fails at its
// first option with that option's code.
void CurlHttpClient::Configure(Request& request) const {
    CURL* curl = request.curl;
    if (!curl && sink_) sink_("Failed to create CURL connection\n");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    const std::string proxy = Proxy();
    if (!proxy.empty()) curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    CURLcode code = CURLE_OK;
    if ((code = curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L)) != CURLE_OK)
        Log("Failed to set connection time out [%d]\n", code);
    else if ((code = curl_easy_setopt(curl, CURLOPT_TIMEOUT, 40L)) != CURLE_OK)
        Log("Failed to set time out [%d]\n", code);
    else if ((code = curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToText)) != CURLE_OK)
        Log("Failed to set CURLOPT_WRITEFUNCTION [%d]", code);
    else if ((code = curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L)) != CURLE_OK)
        Log("Failed to CURLOPT_FOLLOWLOCATION [%d]\n", code);
}

int CurlHttpClient::Step(int code, const char* message) const {
    if (code != CURLE_OK) Log(message, code);
    return code;
}

int CurlHttpClient::SetGetOptions(Request& request, const std::string& url) const {
    CURL* curl = request.curl;
    if (int code = Step(curl_easy_setopt(curl, CURLOPT_URL, url.c_str()),
                        "Failed to set CURLOPT_URL [%d]\n"))
        return code;
    if (int code = Step(curl_easy_setopt(curl, CURLOPT_WRITEDATA, &request.response),
                        "Failed to set CURLOPT_WRITEDATA [%d]\n"))
        return code;
    if (int code = Step(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, request.headers),
                        "Failed to set CURLOPT_HTTPHEADER [%d]\n"))
        return code;
    return Step(curl_easy_setopt(curl, CURLOPT_POST, 0L), "Failed to set CURLOPT_POST [%d]\n");
}

int CurlHttpClient::SetPostOptions(Request& request, const std::string& url,
                                   const std::string& body) const {
    CURL* curl = request.curl;
    if (int code = Step(curl_easy_setopt(curl, CURLOPT_URL, url.c_str()),
                        "Failed to set CURLOPT_URL [%d]\n"))
        return code;
    if (int code = Step(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, request.headers),
                        "Failed to set CURLOPT_HTTPHEADER [%d]\n"))
        return code;
    if (int code =
            Step(curl_easy_setopt(curl, CURLOPT_POST, 1L), "Failed to set CURLOPT_POST [%d]\n"))
        return code;
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    if (int code = Step(curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str()),
                        "Failed to set CURLOPT_POSTFIELDS [%d]\n"))
        return code;
    return Step(curl_easy_setopt(curl, CURLOPT_WRITEDATA, &request.response),
                "Failed to set CURLOPT_WRITEDATA [%d]\n");
}

int CurlHttpClient::Perform(const std::string& url, const std::string& header,
                            const std::string* body) {
    Request request;
    Configure(request);
    request.headers = curl_slist_append(nullptr, header.c_str());
    if (int code = body ? SetPostOptions(request, url, *body) : SetGetOptions(request, url))
        return code;
    long status = 0;
    if (int code = Step(curl_easy_perform(request.curl), "Failed to perform request [%d]\n"))
        return code;
    if (int code = Step(curl_easy_getinfo(request.curl, CURLINFO_RESPONSE_CODE, &status),
                        "Failed to perform request [%d]\n"))
        return code;
    std::lock_guard guard(resultsLock_);
    results_[std::this_thread::get_id()] =
        Result{std::move(request.response), static_cast<int>(status)};
    return CURLE_OK;
}

int CurlHttpClient::GetResponseCode() {
    std::lock_guard guard(resultsLock_);
    const auto found = results_.find(std::this_thread::get_id());
    return found == results_.end() ? 0 : found->second.status;
}

std::string CurlHttpClient::GetResponse() {
    std::lock_guard guard(resultsLock_);
    const auto found = results_.find(std::this_thread::get_id());
    return found == results_.end() ? std::string() : found->second.response;
}
