// The vendor's remote services, by role. Everything that varies between deployments lives in the
// skin's configure/endpoints.xml (same shape as the configuration document: entries of the
// root's first child, key = first attribute, value = second), so a build can be pointed at the
// production services or at the local vendor stand without recompiling.
//
// Values are hosts with an optional port ("127.0.0.1:8443"); the code adds scheme and path.
// The geolocation endpoint is a whole URL stored base64-encoded.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace toolkit {
class XmlNode;
}

namespace endpoint {
inline constexpr std::string_view kUpdateServerTest = "UpdateServerTest";
inline constexpr std::string_view kUpdateServerChina = "UpdateServerChina";
inline constexpr std::string_view kUpdateServerInternational = "UpdateServerInternational";
inline constexpr std::string_view kProductAlertServer = "ProductAlertServer";
inline constexpr std::string_view kGeolocationUrlBase64 = "GeolocationUrlBase64";
inline constexpr std::string_view kDataServiceProduction = "DataServiceProduction";
inline constexpr std::string_view kDataServiceTest = "DataServiceTest";
inline constexpr std::string_view kContentServerChina = "ContentServerChina";
inline constexpr std::string_view kContentServerInternational = "ContentServerInternational";
inline constexpr std::string_view kLogUploadServer = "LogUploadServer";
inline constexpr std::string_view kCollectorProduction = "CollectorProduction";
inline constexpr std::string_view kCollectorTest = "CollectorTest";
inline constexpr std::string_view kGa4Collection = "Ga4Collection";
inline constexpr std::string_view kLegacyConnectivityCheck = "LegacyConnectivityCheck";
inline constexpr std::string_view kLegacyServiceList = "LegacyServiceList";
inline constexpr std::string_view kLegacyTicketApi = "LegacyTicketApi";
inline constexpr std::string_view kLegacyUaCollector = "LegacyUaCollector";
inline constexpr std::string_view kLegacyGeolocation = "LegacyGeolocation";
}  // namespace endpoint

class Endpoints {
public:
    static Endpoints& Instance();

    // Reads "configure\\endpoints.xml" from the skin package; false when it is missing or
    // malformed (every endpoint then reads as empty, and requests to it fail as unreachable).
    bool Load();
    void ApplyDocument(const toolkit::XmlNode& root);

    // The value for `key`; empty when not configured.
    std::string Get(std::string_view key) const;
    // Overrides one endpoint (tests and tools point the program at their own servers).
    void Set(std::string_view key, const std::string& value);
    void Clear();

private:
    Endpoints() = default;
    mutable std::mutex mutex_;
    std::map<std::string, std::string, std::less<>> values_;
};
