#include "content/CountryGate.h"

#include <json/json.h>

#include <algorithm>
#include <memory>

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/ContentEvents.h"
#include "content/Digest.h"
#include "content/JsonAnswer.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace content {
namespace {

// Asks the geolocation service and caches the code; false when the transfer failed (the gate
// then lets the installation go on).
bool LookUpCountry() {
    CVD_LOG << "Get IP country";
    const std::string url = DecodeBase64(Endpoints::Instance().Get(endpoint::kGeolocationUrlBase64));
    const std::uint32_t start = platform::TickCount();
    std::string body;
    const CURLcode result = CLibcurlTool().httpGet(url, body, false);
    ReportElapsed("StartDownloader", "ObtainCountryIPTime", "CountryIPTimeInterval", start);
    CVD_LOG << "Get IP address ret: " << static_cast<int>(result) << "  content: " << body;
    if (body.empty() || result != CURLE_OK) return false;

    Json::Value root;
    std::string errors;
    if (!ParseJson(body, root, errors) || !errors.empty()) {
        CVD_LOG << "IP address parse fail";
        return true;
    }
    CVD_LOG << "IP address parse success";
    const std::string code = StringMember(root, "countryCode");
    CConfigure::Instance().SetCountryCode(FuntionImpl::Utf8ToUtf16(code));
    CVD_LOG << "current country code : " << code;
    return true;
}

}  // namespace

bool IsSupportCurCountry(bool force) {
    CConfigure& config = CConfigure::Instance();
    const std::vector<std::wstring> forbidden = config.GetForbidCountries();
    if (!force && forbidden.empty()) return true;
    if (config.GetCountryCode().empty() && !LookUpCountry()) return true;
    const std::wstring code = config.GetCountryCode();
    if (code.empty()) return true;
    return std::find(forbidden.begin(), forbidden.end(), code) == forbidden.end();
}

}  // namespace content
