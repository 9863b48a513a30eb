// The GA4 hit of one usage event: measurement id, the event parameters with their eight custom
// dimensions, the client id and the URL encoding of the collection request.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "telemetry/UserLogFacts.h"

namespace ga4 {

inline constexpr const char* kProductionId = "G-Q4ZK7M2XWD";
inline constexpr const char* kDepartmentTwoId = "G-H8RN3VB5LT";
inline constexpr const char* kTestAccountId = "G-P2WJ9C6FYK";

std::string MeasurementId(std::int32_t department, bool testAccount);

// "PPC", "CN" or "SEO".
std::string TrafficClass(std::int32_t siteId);
// The vendor's name of a site; variants chosen by markers in the lower-cased download URL; an
// unknown site id gives its decimal number.
std::string SiteName(std::int32_t siteId, const std::string& downloadUrl);

std::string CustomDimensions(const UserLogFacts& facts, const ProductFacts& product);

struct Event {
    std::string category;
    std::string action;
    std::string label;
};

// "&tid=...&ep.cv_productname=Downloader&...&en=<action><custom dimensions>", not yet encoded.
std::string EventParameters(const std::string& measurementId, const UserLogFacts& facts,
                            const ProductFacts& product, const Event& event);

// Every byte except ASCII letters, digits and ! & ' ( ) * - . = _ ~ becomes %xx (lowercase
// hex). '&' and '=' are kept so the parameters stay apart.
std::string PercentEncode(std::string_view text);

// Volume identifier as uppercase hex without leading zeros, followed by the adapter MAC as twelve
// uppercase hex digits; a missing part is left out.
std::string ClientIdOf(const std::string& rootVolumeUuid, const std::string& mac);
// From this machine's facts, read anew at each call.
std::string ClientId();

}  // namespace ga4
