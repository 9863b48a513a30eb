#include "content/CountryGate.h"

#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/Digest.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;
using content::IsSupportCurCountry;

TEST(DecodeBase64, GivesBackTheEndpointUrl) {
    EXPECT_EQ(content::DecodeBase64("aHR0cDovLzEyNy4wLjAuMTo4MDgwL2pzb24v"),
              "http://127.0.0.1:8080/json/");
    EXPECT_EQ(content::DecodeBase64(Base64("ab")), "ab");
    EXPECT_EQ(content::DecodeBase64(Base64("abcd")), "abcd");
    EXPECT_EQ(content::DecodeBase64("not base64!"), "");
    EXPECT_EQ(content::DecodeBase64(""), "");
}

class CountryGateTest : public ContentTest {
protected:
    void SetUp() override {
        ContentTest::SetUp();
        ASSERT_TRUE(server.Started());
        Endpoints::Instance().Set(endpoint::kGeolocationUrlBase64,
                                  Base64("http://" + server.Host() + "/json/"));
    }
    void Forbid(const std::string& list) { ApplyConfig(ConfigEntry("ForbidCountries", list)); }
    void Answer(const std::string& code) {
        server.SetBody("/json/", "{\"status\":\"success\",\"countryCode\":\"" + code + "\"}");
    }
    std::size_t Lookups() const { return server.RequestsTo("/json/").size(); }
    std::size_t TimingEvents() const {
        return Events("bucket|StartDownloader|ObtainCountryIPTime|CountryIPTimeInterval|").size();
    }

    CollectorServer server;
};

TEST_F(CountryGateTest, EmptyForbiddenListAsksNobody) {
    Forbid("");
    EXPECT_TRUE(IsSupportCurCountry(false));
    EXPECT_EQ(Lookups(), 0u);
    EXPECT_TRUE(events.All().empty());
}

TEST_F(CountryGateTest, ForbiddenCountryIsRefusedOthersPass) {
    struct Case {
        const char* forbidden;
        const char* answered;
        bool supported;
    };
    const Case cases[] = {
        {"CN", "CN", false}, {"CN", "US", true}, {"US,CN,RU", "CN", false}, {"cn", "CN", true},
    };
    for (const Case& c : cases) {
        CConfigure::Instance().ResetForTesting();
        Forbid(c.forbidden);
        Answer(c.answered);
        EXPECT_EQ(IsSupportCurCountry(false), c.supported) << c.forbidden << " / " << c.answered;
        EXPECT_EQ(CConfigure::Instance().GetCountryCode(), FuntionImpl::Utf8ToUtf16(c.answered));
    }
    EXPECT_TRUE(log.Contains("Get IP country"));
    EXPECT_TRUE(log.Contains("IP address parse success"));
    EXPECT_TRUE(log.Contains("current country code : CN"));
}

TEST_F(CountryGateTest, ACodeIsLookedUpOncePerProcess) {
    Forbid("CN");
    Answer("US");
    EXPECT_TRUE(IsSupportCurCountry(false));
    Answer("CN");
    EXPECT_TRUE(IsSupportCurCountry(false)) << "the cached US stays";
    EXPECT_TRUE(IsSupportCurCountry(true));
    EXPECT_EQ(Lookups(), 1u);
    EXPECT_EQ(TimingEvents(), 1u);
}

TEST_F(CountryGateTest, ForceLooksUpEvenWithoutAForbiddenList) {
    Forbid("");
    Answer("DE");
    EXPECT_TRUE(IsSupportCurCountry(true));
    EXPECT_EQ(CConfigure::Instance().GetCountryCode(), L"DE");
}

TEST_F(CountryGateTest, AnswerWithoutCodeNeverBlocksAndIsAskedAgain) {
    Forbid("CN");
    server.SetBody("/json/", "{\"status\":\"fail\"}");
    EXPECT_TRUE(IsSupportCurCountry(false));
    EXPECT_TRUE(IsSupportCurCountry(false));
    EXPECT_EQ(Lookups(), 2u);
    EXPECT_EQ(CConfigure::Instance().GetCountryCode(), L"");

    server.SetBody("/json/", "[\"countryCode\", \"CN\"]");
    EXPECT_TRUE(IsSupportCurCountry(false)) << "an array has no member";
    server.SetBody("/json/", "{not json");
    EXPECT_TRUE(IsSupportCurCountry(false));
    EXPECT_TRUE(log.Contains("IP address parse fail"));
}

TEST_F(CountryGateTest, UnreachableServiceNeverBlocks) {
    Forbid("CN");
    Endpoints::Instance().Set(endpoint::kGeolocationUrlBase64, Base64("http://127.0.0.1:1/json/"));
    EXPECT_TRUE(IsSupportCurCountry(false));
    EXPECT_EQ(TimingEvents(), 1u);
    EXPECT_TRUE(log.Contains("Get IP address ret: 7  content: "));

    server.SetStatus("/json/", 500);
    Endpoints::Instance().Set(endpoint::kGeolocationUrlBase64, Base64("http://" + server.Host() + "/json/"));
    server.SetBody("/json/", "");
    EXPECT_TRUE(IsSupportCurCountry(false)) << "an empty body never blocks";
}

}  // namespace
