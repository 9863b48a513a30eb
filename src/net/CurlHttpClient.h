// The reporting service's small HTTP client: one GET or POST with one extra header line,
// through an optional proxy, without certificate checks.
//
// Threading: Get and Post may run on several threads at once; each request uses an easy handle
// of its own. The response text and status of a thread's last successful request are kept for
// that thread, so GetResponseCode / GetResponse always answer about the caller's own request.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

class CurlHttpClient {
public:
    // Receives the client's diagnostic lines ("Failed to set CURLOPT_URL [3]\n", ...). The
    // reporting service keeps its own log apart from the program's; without a sink they are
    // dropped.
    using LogSink = std::function<void(const std::string& line)>;

    CurlHttpClient() = default;
    explicit CurlHttpClient(LogSink sink) : sink_(std::move(sink)) {}

    // Each returns the CURLcode of the first step that failed, 0 on success.
    int Get(const std::string& url, const std::string& header);
    int Post(const std::string& url, const std::string& header, const std::string& body);

    // The calling thread's last successful request: status (0 when none) and response text.
    int GetResponseCode();
    std::string GetResponse();

    void SetProxy(const std::string& proxy);

private:
    struct Result {
        std::string response;
        int status = 0;
    };
    struct Request;

    int Perform(const std::string& url, const std::string& header, const std::string* body);
    void Configure(Request& request) const;
    int SetGetOptions(Request& request, const std::string& url) const;
    int SetPostOptions(Request& request, const std::string& url, const std::string& body) const;
    // `code`, logged with `message` when it is a failure.
    int Step(int code, const char* message) const;
    void Log(const char* format, int code) const;
    std::string Proxy() const;

    std::map<std::thread::id, Result> results_;
    mutable std::mutex resultsLock_;
    std::string proxy_;
    LogSink sink_;
};
