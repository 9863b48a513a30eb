#include "content/PrivacyLinks.h"

#include "config/CConfigure.h"
#include "content/ContentEvents.h"
#include "content/DataServiceRequest.h"
#include "content/DataServiceUrls.h"
#include "content/JsonAnswer.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace content {
namespace {

struct MissingLinks {
    bool privacy = false;
    bool license = false;
};

void ApplyLanguage(const Json::Value& language, MissingLinks& missing) {
    const std::string key = StringMember(language, "lang_code");
    PrivacyLinkPair entry;
    const Json::Value& urls = Member(language, "urls");
    for (Json::ArrayIndex i = 0; urls.isArray() && i < urls.size(); ++i) {
        const std::string field = StringMember(urls[i], "field");
        const std::string url = StringMember(urls[i], "url");
        CVD_LOG << " Get Cbs tcp3: " << i << ", " << field << ", " << url.size();
        if (field == "tc") {
            if (url.empty()) missing.license = true;
            else entry.license_url = FuntionImpl::Utf8ToUtf16(url);
        } else if (field == "p") {
            if (url.empty()) missing.privacy = true;
            else entry.privacy_url = FuntionImpl::Utf8ToUtf16(url);
        }
    }
    CConfigure::Instance().SetLinks(key, entry.privacy_url, entry.license_url);
}

}  // namespace

void ApplyPrivacyAnswer(const Json::Value& answer) {
    MissingLinks missing;
    for (Json::ArrayIndex i = 0; answer.isArray() && i < answer.size(); ++i)
        ApplyLanguage(answer[i], missing);
    if (missing.license) ReportErrorCode("DL005");
    if (missing.privacy) ReportErrorCode("DL004");
}

unsigned GetCbsPrivacy() {
    CVD_LOG << "get privacy and happy url";
    const std::string url = GetPrivacyUrl(CConfigure::Instance().MainPid);
    Json::Value answer;
    if (FetchDataServiceAnswer(url, kPrivacyRequest, answer)) ApplyPrivacyAnswer(answer);
    return 0;
}

}  // namespace content
