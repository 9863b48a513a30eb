#include <gtest/gtest.h>

#include "telemetry/Ga4Hit.h"

namespace {

TEST(Ga4MeasurementId, TestAccountOverridesTheDepartmentChoice) {
    EXPECT_EQ(ga4::MeasurementId(0, false), "G-Q4ZK7M2XWD");
    EXPECT_EQ(ga4::MeasurementId(1, false), "G-Q4ZK7M2XWD");
    EXPECT_EQ(ga4::MeasurementId(2, false), "G-H8RN3VB5LT");
    EXPECT_EQ(ga4::MeasurementId(2, true), "G-P2WJ9C6FYK");
    EXPECT_EQ(ga4::MeasurementId(0, true), "G-P2WJ9C6FYK");
}

TEST(Ga4Sites, TrafficClassAndSiteName) {
    struct Case {
        int siteId;
        const char* url;
        const char* trafficClass;
        const char* name;
    };
    const Case cases[] = {
        {61, "https://cdn.example/Zorvik_Online_setup.exe", "SEO", "ZorvikOnline"},
        {61, "https://cdn.example/zorvik_setup.exe", "SEO", "Zorvik"},
        {999, "https://cdn.example/x_online.exe", "SEO", "999"},
        {2, "", "PPC", "ZorvikAds"},
        {338, "", "PPC", "ZorvikEditorAds"},
        {54, "", "CN", "ZorvikCN"},
        {354, "", "CN", "ZorvikWeChat"},
        {-5, "", "SEO", "-5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ga4::TrafficClass(c.siteId), c.trafficClass) << c.siteId;
        EXPECT_EQ(ga4::SiteName(c.siteId, c.url), c.name) << c.siteId << " " << c.url;
    }
}

UserLogFacts Facts() {
    UserLogFacts facts;
    facts.ownVersion = "1.0.0.7";
    facts.osDescription = "Debian GNU/Linux 12 (bookworm) 64bit";
    facts.languageName = "Chinese";
    facts.regionName = "Taiwan";
    return facts;
}

TEST(Ga4EventParameters, FollowTheFixedOrderWithTheEightDimensions) {
    ProductFacts product;
    product.siteId = 61;
    product.productName = "Zorvik Video Converter";
    product.downloadUrl = "https://cdn.example/zorvik_online.exe";
    product.isToolkit = false;
    const std::string parameters = ga4::EventParameters(
        "G-Q4ZK7M2XWD", Facts(), product, {"Install Page", "8-2.ClickInstallLink", "First"});
    EXPECT_EQ(parameters,
              "&tid=G-Q4ZK7M2XWD&ep.cv_productname=Downloader&ep.cv_productversion=1.0.0.7"
              "&ep.cv_category=Install Page&ep.cv_action=8-2.ClickInstallLink&ep.cv_label=First"
              "&en=8-2.ClickInstallLink"
              "&ep.cd1=1.0.0.7&ep.cd2=SEO&ep.cd3=ZorvikOnline&ep.cd4=Zorvik Video Converter"
              "&ep.cd5=Taiwan&ep.cd6=Chinese&ep.cd7=Debian GNU/Linux 12 (bookworm) 64bit&ep.cd8=1");

    product.isToolkit = true;
    EXPECT_TRUE(ga4::CustomDimensions(Facts(), product).ends_with("&ep.cd8=0"));
}

TEST(Ga4PercentEncode, KeepsTheUnreservedSetAndSeparatorsEncodesTheRestInLowercase) {
    const std::pair<const char*, const char*> cases[] = {
        {"8-2.ClickInstallLink", "8-2.ClickInstallLink"},
        {"&en=a_b~c!d'(e)*", "&en=a_b~c!d'(e)*"},
        {"Install Page", "Install%20Page"},
        {"GNU/Linux", "GNU%2fLinux"},
        {"a+b?c#d%", "a%2bb%3fc%23d%25"},
        {"\xc3\xa9", "%c3%a9"},
        {"", ""},
    };
    for (const auto& [text, encoded] : cases) EXPECT_EQ(ga4::PercentEncode(text), encoded) << text;
    EXPECT_EQ(ga4::PercentEncode(std::string("a\0b", 3)), "a%00b");
}

TEST(Ga4ClientId, VolumeIdWithoutLeadingZerosThenTheMac) {
    struct Case {
        const char* volume;
        const char* mac;
        const char* id;
    };
    const Case cases[] = {
        {"0012-ab3f", "aa:bb:cc:dd:ee:0f", "12AB3FAABBCCDDEE0F"},
        {"", "aa:bb:cc:dd:ee:0f", "AABBCCDDEE0F"},
        {"4d2c-19e0", "", "4D2C19E0"},
        {"", "", ""},
        {"0000", "", ""},
        {"c0ffee00-0000-4000-8000-000000000001", "00:11:22:33:44:55",
         "C0FFEE00000040008000000000000001"
         "001122334455"},
    };
    for (const Case& c : cases) EXPECT_EQ(ga4::ClientIdOf(c.volume, c.mac), c.id) << c.volume;
}

}  // namespace
