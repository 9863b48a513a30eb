// The shipped configuration document, read the way the installer reads it at start-up, gives this
// build's values.
#include <gtest/gtest.h>

#include "SkinPackage.h"
#include "TempEnv.h"
#include "config/CConfigure.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/ZipArchive.h"

namespace cvdtest {
namespace {

TEST(ProductConfigurationTest, ShippedDocumentGivesTheBuildValues) {
    TempEnv env;
    auto zip = toolkit::PackFolder(CVD_SKIN_SOURCE_DIR);
    ASSERT_TRUE(zip);
    ASSERT_TRUE(toolkit::ResourceManager::Instance().SetZipArchive(zip->data(), zip->size()));
    CConfigure& c = CConfigure::Instance();
    c.Init();
    EXPECT_EQ(c.GetLoadSource(), 2);
    EXPECT_EQ(c.Downloader_id, 185);
    EXPECT_EQ(c.Site_id, 61);
    EXPECT_EQ(c.Language_id, 1033);
    EXPECT_EQ(c.GetSoftware_name(), L"Zorvik Video Converter");
    EXPECT_EQ(c.GetSoftware_version(), L"1.0.0.0");
    EXPECT_EQ(c.GetProcess_name(), L"ZorvikVideoConverter.exe");
    EXPECT_EQ(c.GetDownload_url(), c.GetExtra_download_url());
    EXPECT_TRUE(c.GetDownload_url().ends_with(L".exe"));
    EXPECT_EQ(c.Gif_duration, 3);
    EXPECT_EQ(c.NeedStart_flag, 0);
    EXPECT_EQ(c.admin_flag, 1);
    EXPECT_EQ(c.MainPid, 2705);
    EXPECT_EQ(c.InstallTimeout, 600);
    EXPECT_FALSE(c.Support32System);
    EXPECT_FALSE(c.IsToolkit);
    EXPECT_EQ(c.Department, 2);
    EXPECT_EQ(c.GetLanguage_str().size(), 16u);
    EXPECT_EQ(c.theme_color, 0xFF8372FFu);
    EXPECT_TRUE(c.ChooseLicense);
    EXPECT_EQ(c.GetPackage_product(), L"Zorvik Video Converter");
    EXPECT_EQ(c.GetPackage_min_version(), L"1.0.0.0");
    toolkit::ResourceManager::Instance().Release();
}

}  // namespace
}  // namespace cvdtest
