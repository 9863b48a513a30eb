#include "install/ExceptionReport.h"

#include <cstdio>

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "net/CLibcurlTool.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"

namespace install {

std::string ExceptionReportBody(ExceptionKind kind, std::int32_t downloaderId,
                                std::int32_t loadSource, std::string queryUrl,
                                const std::string& packageUrl) {
    FuntionImpl::ReplaceAll(queryUrl, "&", "%26");
    const std::string other = "&other=" + queryUrl + "," + packageUrl;
    const std::string head = "pid=" + std::to_string(downloaderId) + "&type=2&exception_code=";
    const std::string source = std::to_string(loadSource);
    switch (kind) {
        case ExceptionKind::TooManyRedirects:
            return head + "Url_Too_Many_Redirects" + other;
        case ExceptionKind::Md5AndSignature:
            return head + "MD5_Hash_Check_Fail_Cfg" + source + other;
        case ExceptionKind::Md5:
            return head + "MD5_Check_Fail_Cfg" + source + other;
        case ExceptionKind::Signature:
            return head + "Hash_Check_Fail_Cfg" + source + other;
    }
    return {};
}

std::string ExceptionReportUrl(bool testEnv) {
    const std::string host = Endpoints::Instance().Get(testEnv ? endpoint::kUpdateServerTest
                                                               : endpoint::kProductAlertServer);
    return "https://" + host + "/api/exception/send";
}

int PostExceptionReport(const std::string& body, std::string& response) {
    return CLibcurlTool().HttpPost(ExceptionReportUrl(FuntionImpl::TestEnv()), body, response);
}

void SendExceptionReport(InstallAttempt& attempt, ExceptionKind kind, const char* logText) {
    CConfigure& config = CConfigure::Instance();
    const std::string body =
        ExceptionReportBody(kind, config.Downloader_id, config.GetLoadSource(),
                            config.GetQueryUrl(), FuntionImpl::Utf16ToUtf8(attempt.packageUrl));
    std::string response;
    const int result = attempt.seams.postException(body, response);
    CVD_LOG << logText << response << ", return " << result;
}

}  // namespace install
