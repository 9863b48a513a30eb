#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/DataServiceRequest.h"
#include "content/DataServiceUrls.h"
#include "content/JsonAnswer.h"
#include "content/PrivacyLinks.h"

namespace {

using namespace cvdtest;

TEST(DataServiceUrls, PrivacyUrlCarriesTheSignedQuery) {
    Endpoints::Instance().Set(endpoint::kDataServiceProduction, "data:8443");
    EXPECT_EQ(content::PrivacySignedText(1234, 1700000000),
              "parent_pid=1234&timestamp=1700000000vbjqdTC36npw8KF5");
    EXPECT_EQ(content::PrivacyUrlAt(1234, 1700000000),
              "https://data:8443/api/v1/user_privacy_info?parent_pid=1234&timestamp=1700000000"
              "&verify=5c0320add6477f7752c54dfd2db16e89");
    Endpoints::Instance().Clear();
}

TEST(DataServiceUrls, BannerUrlCarriesLanguageAndTypeBeforeVerify) {
    Endpoints::Instance().Set(endpoint::kDataServiceProduction, "data:8443");
    EXPECT_EQ(content::BannerSignedText("ja", 1234, 1700000000),
              "lang_code=ja&parent_pid=1234&timestamp=1700000000&type=1vbjqdTC36npw8KF5");
    EXPECT_EQ(content::BannerPicUrlAt(1234, LangJapanese, 1700000000),
              "https://data:8443/api/v1/banners?lang_code=ja&parent_pid=1234&timestamp=1700000000"
              "&type=1&verify=c8b152cdf5ed0f64757a6b66dc494f4b");
    EXPECT_NE(content::BannerPicUrlAt(1234, 99, 1700000000).find("?lang_code=en&"),
              std::string::npos)
        << "an index outside the table falls back to English";
    Endpoints::Instance().Clear();
}

TEST(DataServiceUrls, CurrentTimeIsUsed) {
    const auto before = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const std::string url = content::GetPrivacyUrl(7);
    const std::size_t at = url.find("&timestamp=") + 11;
    const long long stamp = std::stoll(url.substr(at, url.find('&', at) - at));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, before + 5);
}

class DataServiceAnswerTest : public ContentTest {};

TEST_F(DataServiceAnswerTest, CodeIsCheckedOnlyWhenTheTextMentionsIt) {
    struct Case {
        const char* body;
        bool ok;
    };
    const Case cases[] = {
        {"[]", true},
        {"[{\"lang_code\":\"en\",\"urls\":[]}]", true},
        {"{\"code\":200,\"data\":[]}", true},
        {"{\"code\":500,\"msg\":\"verify failed\"}", false},
        {"{\"code\":\"200\"}", false},
        {"[{\"prompt\":\"\\\"code\\\"\"}]", true},  // escaped quotes are not the word in quotes
        {"[{\"code\":200}]", false},                 // an array has no member "code"
        {"{broken", false},
    };
    for (const Case& c : cases) {
        Json::Value answer;
        EXPECT_EQ(content::ReadDataServiceAnswer(c.body, content::kPrivacyRequest, answer), c.ok)
            << c.body;
    }
    EXPECT_TRUE(log.Contains(" Get Cbs tcp fail: {\"code\":500,\"msg\":\"verify failed\"}"));
    EXPECT_TRUE(log.Contains(" Get Cbs tcp2: 1, 0"));
}

class PrivacyLinksTest : public ContentTest {
protected:
    void Apply(const std::string& body) {
        Json::Value answer;
        std::string errors;
        ASSERT_TRUE(content::ParseJson(body, answer, errors)) << errors;
        content::ApplyPrivacyAnswer(answer);
    }
    static CConfigure& config() { return CConfigure::Instance(); }
};

TEST_F(PrivacyLinksTest, AMissingPrivacyLinkIsReportedOnceAndEntriesAreKept) {
    Apply(R"([{"lang_code":"en","urls":[{"field":"p"},{"field":"tc","url":"https://t/en"}]},
              {"lang_code":"ja","urls":[{"field":"p","url":""},{"field":"tc","url":"https://t/ja"},
                                        {"field":"x","url":"https://ignored"}]},
              {"lang_code":"de","urls":[{"field":"p","url":"https://p/de"}]}])");
    EXPECT_EQ(Events(""), (std::vector<std::string>{
                              "ga4|Other|FlowError|DL004",
                              "funnel|ErrorReporting|Error|MainErrorType|DL004"}));
    EXPECT_EQ(config().GetLicenseLink("en"), L"https://t/en");
    EXPECT_EQ(config().GetLicenseLink("ja"), L"https://t/ja");
    EXPECT_EQ(config().GetPrivacyLink("de"), L"https://p/de");
    EXPECT_TRUE(log.Contains(" Get Cbs tcp3: 2, x, 15"));
}

TEST_F(PrivacyLinksTest, AnEmptyTermsLinkReportsDL005AndKeepsTheEntry) {
    ApplyConfig(ConfigEntry("LicenseUrl", "https://doc/terms"));
    Apply(R"([{"lang_code":"en","urls":[{"field":"p","url":"https://p/en"},{"field":"tc","url":""}]}])");
    EXPECT_EQ(Events(""), (std::vector<std::string>{
                              "ga4|Other|FlowError|DL005",
                              "funnel|ErrorReporting|Error|MainErrorType|DL005"}));
    EXPECT_EQ(config().GetPrivacyLink("en"), L"https://p/en");
}

TEST_F(PrivacyLinksTest, BothMissingReportsTermsFirst) {
    Apply(R"([{"lang_code":"en","urls":[{"field":"p","url":""},{"field":"tc","url":""}]}])");
    EXPECT_EQ(Events("ga4|"), (std::vector<std::string>{"ga4|Other|FlowError|DL005",
                                                        "ga4|Other|FlowError|DL004"}));
}

TEST_F(PrivacyLinksTest, OddShapesAreSkippedWithoutHarm) {
    Apply(R"([1, "x", {"lang_code":5,"urls":{"field":"p"}}, {"urls":[7,{"field":3}]}])");
    Apply(R"({"code":200})");
    EXPECT_TRUE(events.All().empty());
}

class PrivacyThreadTest : public ContentTest {
protected:
    void SetUp() override {
        ContentTest::SetUp();
        ASSERT_TRUE(server.Started());
        PointEndpointsAt({endpoint::kDataServiceProduction}, server.Host());
        ApplyConfig(ConfigEntry("MainPid", "2705"));
    }
    CollectorServer server;
};

TEST_F(PrivacyThreadTest, FetchesStoresAndReportsTiming) {
    server.SetBody("/api/v1/user_privacy_info",
                   R"([{"lang_code":"fr","urls":[{"field":"p","url":"https://p/fr"},)"
                   R"({"field":"tc","url":"https://t/fr"}]}])");
    EXPECT_EQ(content::GetCbsPrivacy(), 0u);
    EXPECT_EQ(CConfigure::Instance().GetPrivacyLink("fr"), L"https://p/fr");
    const auto requests = server.RequestsTo("/api/v1/user_privacy_info");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString().rfind("parent_pid=2705&timestamp=", 0), 0u);
    EXPECT_EQ(Events("bucket|"), (std::vector<std::string>{
                                     "bucket|StartDownloader|ObtainProtocolTime|"
                                     "ProtocolObtainProtocolTime|0|3|s"}));
    EXPECT_TRUE(log.Contains("get privacy and happy url"));
    EXPECT_TRUE(log.Contains(" TCP: parent_pid=2705&timestamp="));
}

TEST_F(PrivacyThreadTest, FailedTransfersAreTriedThreeTimes) {
    server.SetStatus("/api/v1/user_privacy_info", 404);
    server.SetBody("/api/v1/user_privacy_info", "");
    EXPECT_EQ(content::GetCbsPrivacy(), 0u);
    EXPECT_EQ(server.RequestsTo("/api/v1/user_privacy_info").size(), 3u);
    EXPECT_EQ(Events("bucket|").size(), 3u);
    EXPECT_TRUE(log.Contains(" Get Cbs tcp1: 2, 0, "));
    EXPECT_EQ(CConfigure::Instance().GetPrivacyLink("en"), L"");
}

TEST_F(PrivacyThreadTest, ACodeOtherThan200StoresNothing) {
    server.SetBody("/api/v1/user_privacy_info", R"({"code":401,"msg":"verify failed"})");
    content::GetCbsPrivacy();
    EXPECT_EQ(server.RequestsTo("/api/v1/user_privacy_info").size(), 1u);
    EXPECT_TRUE(log.Contains(" Get Cbs tcp fail: {\"code\":401"));
    EXPECT_TRUE(Events("ga4|").empty());
}

}  // namespace
