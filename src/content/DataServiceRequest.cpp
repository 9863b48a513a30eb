#include "content/DataServiceRequest.h"

#include "content/ContentEvents.h"
#include "content/JsonAnswer.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "sys/Log.h"

namespace content {

const DataServiceRequest kPrivacyRequest = {
    " Get Cbs tcp1: ",           "StartDownloader", "ObtainProtocolTime",
    "ProtocolObtainProtocolTime", " Get Cbs tcp2: ", " Get Cbs tcp fail: "};
const DataServiceRequest kBannerRequest = {
    " Get Cbs Ban1: ",         "Download",        "ObtainCarouselMapTime",
    "CarouselMapTimeInterval", " Get Cbs Ban2: ", " Get Cbs Ban fail: "};

namespace {

constexpr int kAttempts = 3;
constexpr std::uint32_t kRetryPauseMs = 100;

bool Fetch(const std::string& url, const DataServiceRequest& request, std::string& body) {
    CLibcurlTool curl;
    CURLcode result = CURLE_OK;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::uint32_t start = platform::TickCount();
        result = curl.httpGet(url, body, false);
        CVD_LOG << request.attemptLine << attempt << ", " << static_cast<int>(result) << ", "
                << url.size() << ", " << body.size();
        ReportElapsed(request.timingCategory, request.timingAction, request.timingKey, start);
        if (!body.empty() && result == CURLE_OK) break;
        platform::SleepMs(kRetryPauseMs);
    }
    return result == CURLE_OK && !body.empty();
}

}  // namespace

bool ReadDataServiceAnswer(const std::string& body, const DataServiceRequest& request,
                           Json::Value& answer) {
    std::string errors;
    const bool parsed = ParseJson(body, answer, errors);
    CVD_LOG << request.parseLine << (parsed ? 1 : 0) << ", " << errors.size();
    if (!parsed || !errors.empty()) return false;
    if (body.find("\"code\"") == std::string::npos) return true;
    const Json::Value& code = Member(answer, "code");
    if (code.isInt() && code.asInt() == 200) return true;
    CVD_LOG << request.failLine << body;
    return false;
}

bool FetchDataServiceAnswer(const std::string& url, const DataServiceRequest& request,
                            Json::Value& answer) {
    std::string body;
    return Fetch(url, request, body) && ReadDataServiceAnswer(body, request, answer);
}

}  // namespace content
