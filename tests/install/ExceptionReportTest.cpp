#include "InstallTestSupport.h"
#include "config/Endpoints.h"
#include "install/ExceptionReport.h"

namespace {

using namespace cvdtest;
using install::ExceptionKind;

class ExceptionReportTest : public InstallTest {};

TEST_F(ExceptionReportTest, BodiesFollowTheirTemplates) {
    const std::string query = "https://u/q?a=1&b=2";
    const std::string tail = "&other=https://u/q?a=1%26b=2,https://cdn/p.exe";
    EXPECT_EQ(install::ExceptionReportBody(ExceptionKind::TooManyRedirects, 185, 1, query,
                                           "https://cdn/p.exe"),
              "pid=185&type=2&exception_code=Url_Too_Many_Redirects" + tail);
    EXPECT_EQ(install::ExceptionReportBody(ExceptionKind::Md5AndSignature, 185, 2, query,
                                           "https://cdn/p.exe"),
              "pid=185&type=2&exception_code=MD5_Hash_Check_Fail_Cfg2" + tail);
    EXPECT_EQ(install::ExceptionReportBody(ExceptionKind::Md5, 185, 1, query, "https://cdn/p.exe"),
              "pid=185&type=2&exception_code=MD5_Check_Fail_Cfg1" + tail);
    EXPECT_EQ(
        install::ExceptionReportBody(ExceptionKind::Signature, 185, 1, query, "https://cdn/p.exe"),
        "pid=185&type=2&exception_code=Hash_Check_Fail_Cfg1" + tail);
}

TEST_F(ExceptionReportTest, TheTestSwitchPicksTheUpdateServer) {
    Endpoints::Instance().Set(endpoint::kUpdateServerTest, "update:1");
    Endpoints::Instance().Set(endpoint::kProductAlertServer, "alert:2");
    EXPECT_EQ(install::ExceptionReportUrl(true), "https://update:1/api/exception/send");
    EXPECT_EQ(install::ExceptionReportUrl(false), "https://alert:2/api/exception/send");
}

}  // namespace
