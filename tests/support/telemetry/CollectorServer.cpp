#include "CollectorServer.h"

#include <curl/curl.h>
#include <json/json.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace cvdtest {
namespace {

size_t Append(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

std::string Fetch(const std::string& url, const std::string* postBody) {
    std::string response;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    if (postBody) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(postBody->size()));
    }
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return response;
}

}  // namespace

CollectorServer::CollectorServer(const std::vector<std::string>& options)
    : process_([&] {
          std::vector<std::string> argv = {"python3", SupportDir() + "/collector.py"};
          argv.insert(argv.end(), options.begin(), options.end());
          return argv;
      }()) {}

std::string CollectorServer::Host() const { return "127.0.0.1:" + std::to_string(process_.Port()); }

std::vector<Json::Value> CollectorServer::Requests() const {
    const Json::Value all = ParseJson(Fetch("http://" + Host() + "/__requests", nullptr));
    return std::vector<Json::Value>(all.begin(), all.end());
}

std::vector<Json::Value> CollectorServer::RequestsTo(const std::string& path) const {
    std::vector<Json::Value> matching;
    for (const Json::Value& request : Requests())
        if (request["path"].asString() == path) matching.push_back(request);
    return matching;
}

bool CollectorServer::WaitForRequests(const std::string& path, std::size_t count,
                                      int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (RequestsTo(path).size() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void CollectorServer::Control(const std::string& pathAndQuery, const std::string& body) const {
    Fetch("http://" + Host() + pathAndQuery, &body);
}

void CollectorServer::SetStatus(const std::string& path, int code) const {
    Control("/__status?path=" + path + "&code=" + std::to_string(code));
}

void CollectorServer::SetBody(const std::string& path, const std::string& body) const {
    Control("/__body?path=" + path, body);
}

std::vector<std::pair<std::string, std::string>> QueryPairs(const std::string& query) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::istringstream stream(query);
    std::string item;
    while (std::getline(stream, item, '&')) {
        if (item.empty()) continue;
        const std::size_t equals = item.find('=');
        if (equals == std::string::npos)
            pairs.emplace_back(item, "");
        else
            pairs.emplace_back(item.substr(0, equals), item.substr(equals + 1));
    }
    return pairs;
}

std::string QueryValue(const std::string& query, const std::string& name) {
    for (const auto& [key, value] : QueryPairs(query))
        if (key == name) return value;
    return std::string();
}

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream stream(text);
    Json::parseFromStream(builder, stream, &value, &errors);
    return value;
}

}  // namespace cvdtest
