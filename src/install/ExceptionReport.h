// The report the install flow sends to the vendor when a package cannot be trusted or its
// address loops: a form body posted to "/api/exception/send".
#pragma once

#include <cstdint>
#include <string>

#include "install/InstallAttempt.h"

namespace install {

enum class ExceptionKind { TooManyRedirects, Md5AndSignature, Md5, Signature };

// The body: product id, the configuration's origin (integrity cases only), the server query
// with "&" escaped as "%26", and the package URL.
std::string ExceptionReportBody(ExceptionKind kind, std::int32_t downloaderId,
                                std::int32_t loadSource, std::string queryUrl,
                                const std::string& packageUrl);

// "https://" + the update server (TestEnv) or the product-alert server + "/api/exception/send".
std::string ExceptionReportUrl(bool testEnv);

// Posts the report for the attempt's package; logs `logText` with the answer and the result.
void SendExceptionReport(InstallAttempt& attempt, ExceptionKind kind, const char* logText);

// The real post: HttpPost without a CA file.
int PostExceptionReport(const std::string& body, std::string& response);

}  // namespace install
