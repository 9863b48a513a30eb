// The recording collector (tests/support/collector.py) as a test fixture: start it, point
// endpoints at it, read back what went over the wire.
#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "ServerProcess.h"

namespace cvdtest {

class CollectorServer {
public:
    // `options` are collector.py's command-line options ("--status", "/g/collect=204", ...).
    explicit CollectorServer(const std::vector<std::string>& options = {});

    bool Started() const { return process_.Started(); }
    // "127.0.0.1:<port>", the form the endpoints document uses.
    std::string Host() const;

    // Every recorded request, oldest first.
    std::vector<Json::Value> Requests() const;
    std::vector<Json::Value> RequestsTo(const std::string& path) const;
    // Polls (bounded by `timeoutMs`) until `path` has seen at least `count` requests.
    bool WaitForRequests(const std::string& path, std::size_t count, int timeoutMs = 20000) const;

    // A control request ("/__status?path=/collect&code=204", "/__release", ...).
    void Control(const std::string& pathAndQuery, const std::string& body = "") const;
    void SetStatus(const std::string& path, int code) const;
    void SetBody(const std::string& path, const std::string& body) const;

private:
    ServerProcess process_;
};

// The raw name=value pairs of a query string, in order, not decoded.
std::vector<std::pair<std::string, std::string>> QueryPairs(const std::string& query);
// The raw value of `name` in a query string; empty when absent.
std::string QueryValue(const std::string& query, const std::string& name);

Json::Value ParseJson(const std::string& text);

}  // namespace cvdtest
