#include "content/DataServiceUrls.h"

#include <chrono>

#include "config/Endpoints.h"
#include "content/Digest.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"

namespace content {
namespace {

std::string PrivacyQuery(std::int32_t parentPid, std::int64_t timestamp) {
    return "parent_pid=" + std::to_string(parentPid) + "&timestamp=" + std::to_string(timestamp);
}

std::string BannerQuery(const std::string& langCode, std::int32_t parentPid,
                        std::int64_t timestamp) {
    return "lang_code=" + langCode + "&" + PrivacyQuery(parentPid, timestamp) + "&type=1";
}

std::string DataServiceBase() {
    const auto key = FuntionImpl::TestEnv() ? endpoint::kDataServiceTest
                                            : endpoint::kDataServiceProduction;
    return "https://" + Endpoints::Instance().Get(key);
}

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::string PrivacySignedText(std::int32_t parentPid, std::int64_t timestamp) {
    return PrivacyQuery(parentPid, timestamp) + kDataServiceSalt;
}

std::string BannerSignedText(const std::string& langCode, std::int32_t parentPid,
                             std::int64_t timestamp) {
    return BannerQuery(langCode, parentPid, timestamp) + kDataServiceSalt;
}

std::string PrivacyUrlAt(std::int32_t parentPid, std::int64_t timestamp) {
    const std::string query = PrivacyQuery(parentPid, timestamp) +
                              "&verify=" + Md5Hex(PrivacySignedText(parentPid, timestamp));
    CVD_LOG << " TCP: " << query;
    return DataServiceBase() + "/api/v1/user_privacy_info?" + query;
}

std::string BannerPicUrlAt(std::int32_t parentPid, int language, std::int64_t timestamp) {
    const std::string langCode = LanguageCodeOf(language);
    const std::string query = BannerQuery(langCode, parentPid, timestamp) + "&verify=" +
                              Md5Hex(BannerSignedText(langCode, parentPid, timestamp));
    CVD_LOG << " BAN: " << query;
    return DataServiceBase() + "/api/v1/banners?" + query;
}

std::string GetPrivacyUrl(std::int32_t parentPid) { return PrivacyUrlAt(parentPid, Now()); }

std::string GetBannerPicUrl(std::int32_t parentPid, EnumLanguage language) {
    return BannerPicUrlAt(parentPid, language, Now());
}

}  // namespace content
