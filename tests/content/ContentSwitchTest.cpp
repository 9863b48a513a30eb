// Each test writes the debug settings file beside this executable and removes it again.
#include <fstream>

#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/DataServiceUrls.h"
#include "content/DownloadInfoQuery.h"
#include "sys/DebugSettings.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;

class ContentSwitchTest : public ContentTest {
protected:
    void SetUp() override {
        ContentTest::SetUp();
        ASSERT_TRUE(server.Started());
        std::ofstream(file, std::ios::trunc) << "[Settings]\nTestEnv=1\n";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        ContentTest::TearDown();
    }
    std::filesystem::path file = FuntionImpl::Utf16ToUtf8(FuntionImpl::DebugSettingsPath());
    CollectorServer server;
};

TEST_F(ContentSwitchTest, TestEnvSendsTheQueryToTheTestHostOverHttpEvenForAChinaSite) {
    Endpoints::Instance().Set(endpoint::kUpdateServerTest, server.Host());
    Endpoints::Instance().Set(endpoint::kUpdateServerChina, "127.0.0.1:1");
    ApplyConfig(ConfigEntry("Downloader_id", "7") + ConfigEntry("Site_id", "54") +
                ConfigEntry("Language_id", "2052"));
    server.SetBody("/queryDownloader", "<Downloader><Md5>m</Md5></Downloader>");
    EXPECT_EQ(content::getDownloadInfoServer(true), 1);
    EXPECT_EQ(CConfigure::Instance().GetQueryUrl(),
              "http://" + server.Host() + "/queryDownloader?LanguageId=2052&SoftWareID=7&SiteID=54");
    EXPECT_EQ(server.RequestsTo("/queryDownloader").size(), 1u);
    EXPECT_TRUE(log.Contains(" GetDownloaderInfo(Sync, cn) return 0"));
}

TEST_F(ContentSwitchTest, TestEnvChangesOnlyTheDataServiceHost) {
    Endpoints::Instance().Set(endpoint::kDataServiceProduction, "production:1");
    Endpoints::Instance().Set(endpoint::kDataServiceTest, "test:2");
    const std::string withSwitch = content::BannerPicUrlAt(5, 0, 1700000000);
    std::filesystem::remove(file);
    const std::string without = content::BannerPicUrlAt(5, 0, 1700000000);
    EXPECT_EQ(withSwitch.rfind("https://test:2/api/v1/banners?", 0), 0u);
    EXPECT_EQ(without.rfind("https://production:1/api/v1/banners?", 0), 0u);
    EXPECT_EQ(withSwitch.substr(withSwitch.find('?')), without.substr(without.find('?')));
}

}  // namespace
