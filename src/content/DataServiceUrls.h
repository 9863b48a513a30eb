// The signed requests of the vendor's data service: privacy links and banners. The query carries
// the product's analytics id, the time and `verify`, the MD5 of the query followed by the shared
// salt, so the service can tell that an installer built it. Building a URL makes no request.
#pragma once

#include <cstdint>
#include <string>

#include "config/LanguageTables.h"

namespace content {

inline constexpr char kDataServiceSalt[] = "vbjqdTC36npw8KF5";

// The texts that are signed (query without verify, then the salt).
std::string PrivacySignedText(std::int32_t parentPid, std::int64_t timestamp);
std::string BannerSignedText(const std::string& langCode, std::int32_t parentPid,
                             std::int64_t timestamp);

// The URLs for a given time; the host follows TestEnv.
std::string PrivacyUrlAt(std::int32_t parentPid, std::int64_t timestamp);
std::string BannerPicUrlAt(std::int32_t parentPid, int language, std::int64_t timestamp);

// The URLs for now.
std::string GetPrivacyUrl(std::int32_t parentPid);
std::string GetBannerPicUrl(std::int32_t parentPid, EnumLanguage language);

}  // namespace content
