#include "telemetry/WebLog.h"

#include <json/json.h>

#include <sstream>

#include "config/Endpoints.h"
#include "platform/Clock.h"
#include "telemetry/CollectorDocument.h"
#include "telemetry/Ga4Hit.h"
#include "telemetry/ReportIdentity.h"

namespace {

constexpr const char* kJsonHeader = "Content-Type:application/json; charset=utf-8";
constexpr int kGa4Success = 204;
constexpr std::int32_t kGa4OtherStatus = -1;
constexpr std::int32_t kGa4TransferFailed = 253;
constexpr std::int32_t kGa4NoParameters = 254;

std::string HttpsUrl(std::string_view endpointKey, const char* path) {
    return "https://" + Endpoints::Instance().Get(endpointKey) + path;
}

Json::Value ParseOrEmpty(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream stream(text);
    if (!Json::parseFromStream(builder, stream, &value, &errors)) return Json::Value();
    return value;
}

}  // namespace

// The service's own log lines are not kept (the client gets no sink), so it has no log file.
WebLog::WebLog()
    : http_(std::make_shared<CurlHttpClient>()),
      folder_(ReportFolder::Current()),
      legacyBase_(HttpsUrl(endpoint::kLegacyConnectivityCheck, "")),
      startTick_(platform::TickCount()) {}

std::string WebLog::EnsureMachineUid() {
    if (machineUid_.empty()) machineUid_ = report::MachineUid();
    return machineUid_;
}

std::int32_t WebLog::PostGa4Hit(const std::string& parameters) {
    if (parameters.empty()) return kGa4NoParameters;
    const std::string url = HttpsUrl(endpoint::kGa4Collection, "/g/collect") +
                            "?v=2&cid=" + ga4::ClientId() + ga4::PercentEncode(parameters);
    http_->SetProxy(folder_.Proxy());
    if (http_->Post(url, kJsonHeader, std::string()) != 0) return kGa4TransferFailed;
    return http_->GetResponseCode() == kGa4Success ? 0 : kGa4OtherStatus;
}

std::int32_t WebLog::SoftDataReport(const std::string& funnelDocument) {
    const Json::Value funnel = ParseOrEmpty(funnelDocument);
    CollectorIdentity identity;
    identity.sessionId = report::SessionId();
    identity.uid = EnsureMachineUid();
    const std::string url = folder_.UseTestCollector()
                                ? HttpsUrl(endpoint::kCollectorTest, "/collector")
                                : HttpsUrl(endpoint::kCollectorProduction, "/collect");
    identity.ts = report::LocalTimestampMs();
    identity.os = ReportPlatformName();
    identity.osVersion = report::ReportOsVersion();
    const Json::Value document = BuildCollectorDocument(funnel, identity);

    CurlHttpClient client;
    client.SetProxy(folder_.Proxy());
    if (const int code = client.Post(url, kJsonHeader, document.toStyledString()); code != 0)
        return code;
    client.GetResponse();
    return client.GetResponseCode() - 200;
}

// Through the proxy of proxy.txt, else through a debugging proxy on its usual local port.
std::int32_t WebLog::RunSelfTest() {
    constexpr const char* kDebuggingProxy = "127.0.0.1:8888";
    const std::string proxy = folder_.Proxy();
    CurlHttpClient client;
    client.SetProxy(proxy.empty() ? kDebuggingProxy : proxy);
    if (client.Get(HttpsUrl(endpoint::kLegacyConnectivityCheck, "/"), "Accept: */*") != 0)
        return -1;
    return client.GetResponseCode() == 200 ? 0 : -1;
}
