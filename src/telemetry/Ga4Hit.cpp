#include "telemetry/Ga4Hit.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/SystemInfo.h"

namespace ga4 {
namespace {

struct SiteRow {
    std::int32_t siteId;
    const char* name;
    const char* urlMarker;   // nullptr: the name is fixed
    const char* markedName;  // the name when the lower-cased URL contains urlMarker
};

constexpr SiteRow kSites[] = {
    {2, "ZorvikAds", nullptr, nullptr},
    {8, "ZorvikPartner", nullptr, nullptr},
    {54, "ZorvikCN", "_online", "ZorvikCNOnline"},
    {61, "Zorvik", "_online", "ZorvikOnline"},
    {74, "ZorvikSearchAds", nullptr, nullptr},
    {84, "ZorvikVideoAds", nullptr, nullptr},
    {93, "ZorvikChina", nullptr, nullptr},
    {206, "ZorvikStudio", "_studio", "ZorvikStudioPro"},
    {290, "ZorvikBaidu", nullptr, nullptr},
    {293, "ZorvikMedia", nullptr, nullptr},
    {305, "ZorvikConverterAds", nullptr, nullptr},
    {338, "ZorvikEditorAds", nullptr, nullptr},
    {354, "ZorvikWeChat", nullptr, nullptr},
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// ASCII only, whatever the locale says; strchr would also match a NUL byte to the terminator.
bool KeptAsIs(unsigned char c) {
    const bool letterOrDigit =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return letterOrDigit || (c != 0 && std::strchr("!&'()*-.=_~", c) != nullptr);
}

}  // namespace

std::string MeasurementId(std::int32_t department, bool testAccount) {
    if (testAccount) return kTestAccountId;
    return department == 2 ? kDepartmentTwoId : kProductionId;
}

std::string TrafficClass(std::int32_t siteId) {
    constexpr std::int32_t kPpc[] = {2, 8, 74, 84, 206, 293, 305, 338};
    constexpr std::int32_t kChina[] = {54, 93, 290, 354};
    if (std::find(std::begin(kPpc), std::end(kPpc), siteId) != std::end(kPpc)) return "PPC";
    if (std::find(std::begin(kChina), std::end(kChina), siteId) != std::end(kChina)) return "CN";
    return "SEO";
}

std::string SiteName(std::int32_t siteId, const std::string& downloadUrl) {
    for (const SiteRow& row : kSites) {
        if (row.siteId != siteId) continue;
        if (row.urlMarker && Lower(downloadUrl).find(row.urlMarker) != std::string::npos)
            return row.markedName;
        return row.name;
    }
    return std::to_string(siteId);
}

std::string CustomDimensions(const UserLogFacts& facts, const ProductFacts& product) {
    return "&ep.cd1=" + facts.ownVersion + "&ep.cd2=" + TrafficClass(product.siteId) +
           "&ep.cd3=" + SiteName(product.siteId, product.downloadUrl) +
           "&ep.cd4=" + product.productName + "&ep.cd5=" + facts.regionName +
           "&ep.cd6=" + facts.languageName + "&ep.cd7=" + facts.osDescription +
           "&ep.cd8=" + (product.isToolkit ? "0" : "1");
}

std::string EventParameters(const std::string& measurementId, const UserLogFacts& facts,
                            const ProductFacts& product, const Event& event) {
    return "&tid=" + measurementId +
           "&ep.cv_productname=Downloader&ep.cv_productversion=" + facts.ownVersion +
           "&ep.cv_category=" + event.category + "&ep.cv_action=" + event.action +
           "&ep.cv_label=" + event.label + "&en=" + event.action + CustomDimensions(facts, product);
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string encoded;
    encoded.reserve(text.size());
    for (unsigned char c : text) {
        if (KeptAsIs(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

std::string ClientIdOf(const std::string& rootVolumeUuid, const std::string& mac) {
    std::string id;
    for (char c : rootVolumeUuid)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            id += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    id.erase(0, std::min(id.find_first_not_of('0'), id.size()));

    std::string macDigits;
    for (char c : mac)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            macDigits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (macDigits.size() == 12) id += macDigits;
    return id;
}

std::string ClientId() {
    return ClientIdOf(platform::SystemVolumeId(), platform::DefaultRouteMac());
}

}  // namespace ga4
