// The legacy reporting family of the reporting service: the vendor's old user-log service, a
// Universal Analytics hit and a support ticket. The installer itself never calls them.
#include <curl/curl.h>

#include <cstdio>
#include <vector>

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "platform/Clock.h"
#include "platform/Uuid.h"
#include "sys/VersionInfo.h"
#include "telemetry/Ga4Hit.h"
#include "telemetry/LegacyPageFetch.h"
#include "telemetry/WebLog.h"

namespace {

constexpr int kServiceListAttempts = 3;
constexpr int kGeolocationAttempts = 5;
constexpr const char* kProductLine = "1001";

// Query values are escaped with libcurl, so a value can hold '&' or '=' safely.
std::string Escape(const std::string& value) {
    char* escaped = curl_easy_escape(nullptr, value.c_str(), static_cast<int>(value.size()));
    if (!escaped) return std::string();
    std::string text(escaped);
    curl_free(escaped);
    return text;
}

std::string Padded(std::int32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%08d", number);
    return text;
}

std::string NewLegacyClientId() {
    const auto uuid = platform::NewUuid();
    if (!uuid) return std::string();
    const platform::Uuid& id = *uuid;
    char text[40];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", id[0],
                  id[1], id[2], id[3], id[4], id[5], id[6], id[7], id[8], id[9], id[10], id[11],
                  id[12], id[13], id[14], id[15]);
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',')
            fields.emplace_back();
        else if (c != '"' && c != '\r' && c != '\n')
            fields.back() += c;
    }
    return fields;
}

}  // namespace

std::int32_t WebLog::FetchLegacy(const std::string& pathAndQuery, std::string& answer) {
    return FetchLegacyPage(legacyBase_ + pathAndQuery, answer);
}

bool WebLog::DiscoverLegacyBase() {
    const std::string listUrl =
        "https://" + Endpoints::Instance().Get(endpoint::kLegacyServiceList) + "/ServiceList.txt";
    for (int attempt = 0; attempt < kServiceListAttempts; ++attempt) {
        std::string text;
        if (FetchLegacyPage(listUrl, text) != 0) continue;
        // The list holds the base URL; a line end after it would end up inside every request.
        text = Trimmed(text);
        legacyBase_ =
            text.find("http") != std::string::npos
                ? text
                : "https://" + Endpoints::Instance().Get(endpoint::kLegacyConnectivityCheck);
        return true;
    }
    return false;
}

void WebLog::LookUpExternalIp() {
    const std::string url =
        "http://" + Endpoints::Instance().Get(endpoint::kLegacyGeolocation) + "/csv/";
    for (int attempt = 0; attempt < kGeolocationAttempts; ++attempt) {
        std::string answer;
        if (FetchLegacyPage(url, answer) != 0 || answer.find("success") == std::string::npos)
            continue;
        const std::vector<std::string> fields = SplitCsv(Trimmed(answer));
        if (fields.size() >= 2) legacy_.country = fields[1];
        if (fields.size() >= 6) legacy_.city = fields[5];
        legacy_.outIp = fields.back();
        return;
    }
}

std::int32_t WebLog::GetLegacyIdentity(std::string& clientId, std::string& productLine) {
    clientId.clear();
    productLine.clear();
    if (!DiscoverLegacyBase()) return -1;
    if (legacy_.clientId.empty()) legacy_.clientId = NewLegacyClientId();
    std::string record;
    if (FetchLegacy("/QueryUser?guid=" + Escape(legacy_.clientId), record) != 0)
        legacy_.clientId = NewLegacyClientId();  // unknown to the service: start a new record
    legacy_.productLine = kProductLine;
    if (legacy_.outIp.empty()) LookUpExternalIp();
    clientId = legacy_.clientId;
    productLine = legacy_.productLine;
    return 0;
}

std::int32_t WebLog::SendLegacyUserLog(std::int32_t opId, std::int32_t result,
                                       const std::string& regEmail, const std::string& resultData,
                                       std::int32_t softwareId, std::int32_t siteId,
                                       std::int32_t versionId) {
    if (legacy_.clientId.empty()) return -1;
    const std::uint32_t useTimeSeconds = (platform::TickCount() - startTick_) / 1000;
    const std::string query =
        "/AddUserLog?USER_ID=" + Escape(legacy_.clientId) + "&OP_ID=" + std::to_string(opId) +
        "&SoftWareID=" + std::to_string(softwareId) + "&RegEmail=" + Escape(regEmail) +
        "&UseTime=" + std::to_string(useTimeSeconds) + "&Location=" + Escape(legacy_.country) +
        "&City=" + Escape(legacy_.city) + "&OutIP=" + Escape(legacy_.outIp) +
        "&LanguageId=" + std::to_string(CConfigure::Instance().GetLanguageIndex()) +
        "&Result=" + std::to_string(result) + "&ResultData=" + Escape(resultData) +
        "&SiteID=" + std::to_string(siteId) + "&CurVersion=" + FuntionImpl::OwnVersionText() +
        "&ActivityID=" + legacy_.productLine + "&VersionID=" + std::to_string(versionId);
    std::string answer;
    return FetchLegacy(query, answer);
}

std::int32_t WebLog::QueryTools(std::int32_t languageId, std::int32_t softwareId,
                                std::string& answer) {
    return FetchLegacy(
        "/QueryTools?LanguageId=" + Padded(languageId) + "&SoftWareID=" + Padded(softwareId),
        answer);
}

std::int32_t WebLog::QueryDownloader(std::int32_t languageId, std::int32_t softwareId,
                                     std::int32_t siteId, std::string& answer) {
    return FetchLegacy("/QueryDownloader?LanguageId=" + Padded(languageId) +
                           "&SoftWareID=" + Padded(softwareId) + "&SiteID=" + Padded(siteId),
                       answer);
}

std::int32_t WebLog::ReportLog(std::int32_t softwareId, const std::string& email,
                               const std::string& content, const std::string& uploadId) {
    if (legacy_.clientId.empty() || content.empty()) return -1;
    std::string answer;
    return FetchLegacy("/ReportLog?USER_ID=" + Escape(legacy_.clientId) +
                           "&SoftWareID=" + std::to_string(softwareId) + "&Email=" + Escape(email) +
                           "&OutIP=" + Escape(legacy_.outIp) + "&Content=" + Escape(content) +
                           "&UploadID=" + Escape(uploadId),
                       answer);
}

std::int32_t WebLog::PostFeedbackTicket(const std::string& productId, const std::string& email,
                                        const std::string& content, const std::string& logId,
                                        const std::string& version, const std::string& subject) {
    if (productId.empty() || email.empty() || content.empty()) return -1;
    const std::string url = "https://" + Endpoints::Instance().Get(endpoint::kLegacyTicketApi) +
                            "/api/v1/ticket/feedback";
    const std::string body = "product_id=" + Escape(productId) + "&useremail=" + Escape(email) +
                             "&content=" + Escape(content) + "&log_id=" + Escape(logId) +
                             "&version=" + Escape(version) + "&subject=" + Escape(subject);
    CurlHttpClient client;
    if (client.Post(url, "Content-Type: application/x-www-form-urlencoded", body) != 0) return -1;
    const bool accepted = client.GetResponseCode() == 200 &&
                          client.GetResponse().find("status\":200") != std::string::npos;
    return accepted ? 0 : -1;
}

std::int32_t WebLog::SendUniversalAnalyticsHit(const std::string& tid, const std::string& category,
                                               const std::string& action, const std::string& label,
                                               const std::string& appName,
                                               const std::string& appVersion,
                                               const std::string& extraParameters) {
    if (tid.empty() || category.empty() || action.empty()) return -1;
    const std::string url =
        "https://" + Endpoints::Instance().Get(endpoint::kLegacyUaCollector) + "/collect";
    const std::string body = "v=1&tid=" + Escape(tid) + "&cid=" + Escape(ga4::ClientId()) +
                             "&t=event&ec=" + Escape(category) + "&ea=" + Escape(action) +
                             "&el=" + Escape(label) + "&an=" + Escape(appName) +
                             "&av=" + Escape(appVersion) + extraParameters;
    CurlHttpClient client;
    client.SetProxy(folder_.Proxy());
    if (client.Post(url, "Content-Type: application/x-www-form-urlencoded", body) != 0) return 253;
    return client.GetResponseCode() == 200 ? 0 : -1;
}
