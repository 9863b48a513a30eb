// One installer run's server traffic against the vendor stand: its service with the shipped
// catalogue and nginx serving the catalogue's files.
#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/BannerContent.h"
#include "content/CountryGate.h"
#include "content/DownloadInfoQuery.h"
#include "content/PrivacyLinks.h"
#include "content/SubProgramInfo.h"
#include "download/CDownLoadImpl.h"
#include "net/CLibcurlTool.h"
#include "platform/Process.h"
#include "sys/PackageSignature.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

class VendorStandTest : public WorkFolderTest {
protected:
    void SetUp() override {
        WorkFolderTest::SetUp();
        // The stand serves the signed demo packages of this build.
        env.Set("CVD_BUILD_DIR", CVD_BINARY_DIR);
        fs::create_directories(state / "root");
        cdn = std::make_unique<CdnStand>(state / "root", env.Root() / "nginx");
        ASSERT_TRUE(cdn->Started());
        vendor = std::make_unique<VendorService>(state, cdn->Https(""));
        ASSERT_TRUE(vendor->Started());
        PointEndpointsAt({endpoint::kUpdateServerInternational, endpoint::kDataServiceProduction,
                          endpoint::kContentServerInternational},
                         vendor->Host());
        Endpoints::Instance().Set(endpoint::kGeolocationUrlBase64,
                                  Base64("http://" + vendor->Host() + "/json/"));
        ApplyConfigWithWorkFolder(
            ConfigEntry("Downloader_id", "185") + ConfigEntry("Site_id", "61") +
            ConfigEntry("Language_id", "1033") + ConfigEntry("MainPid", "2705") +
            ConfigEntry("Department", "2") + ConfigEntry("IsToolkit", "1") +
            ConfigEntry("ForbidCountries", "CN") +
            ConfigEntry("Download_url",
                        "https://h/cvd_stand_test_" + std::to_string(::getpid()) + ".exe"));
    }
    void SetCountry(const std::string& code) {
        std::string answer;
        CLibcurlTool().HttpPost("http://" + vendor->Host() + "/__stand/country?code=" + code, "",
                                answer);
        CConfigure::Instance().SetCountryCode(L"");
    }
    std::string Report() {
        env.Set("CVD_STAND_DIR", state.string());
        platform::ProcessOptions options;
        options.commandLine = platform::QuoteArgument(FuntionImpl::Utf8ToUtf16(
                                  VendorStandDir() + "/vendor-stand")) + L" report";
        options.captureOutput = true;
        auto process = platform::Process::Start(options);
        std::string all, chunk;
        while (process && process->ReadOutput(chunk, 4096, 20000) == platform::Process::Read::Data)
            all += chunk;
        if (process) process->Wait(20000);
        return all;
    }

    fs::path state = env.Root() / "stand";
    std::unique_ptr<CdnStand> cdn;
    std::unique_ptr<VendorService> vendor;
    MessageRecorder window;
};

TEST_F(VendorStandTest, AnswersEveryQueryOfAnInstallerRunAndServesItsFiles) {
    CConfigure& config = CConfigure::Instance();
    ASSERT_EQ(content::getDownloadInfoServer(false), 1);
    EXPECT_EQ(config.GetSoftware_name(), L"Zorvik Video Converter");
    const fs::path built =
        fs::path(CVD_BINARY_DIR) / "packages" / "zorvikvideoconverter_zorvik.exe";
    EXPECT_EQ(config.GetFilesize(), static_cast<std::int64_t>(fs::file_size(built)));
    const std::wstring mirror = config.CurrentDownloadUrl();
    EXPECT_TRUE(mirror.ends_with(L"/download/zorvikvideoconverter_zorvik_mirror.exe"));

    const std::wstring package = (work / "package.exe").wstring();
    std::string cdnText;
    ASSERT_EQ(CDownLoadImpl().SuperDownloadFile(mirror, package, cdnText, false, true), Success);
    EXPECT_EQ(CDownLoadImpl::FileMd5(FuntionImpl::Utf16ToUtf8(package)),
              FuntionImpl::Utf16ToUtf8(config.GetMd5_extra()));
    const auto trust = FuntionImpl::TrustStoreOfInstaller(FuntionImpl::Utf8ToUtf16(CVD_INSTALLER));
    EXPECT_TRUE(FuntionImpl::VerifyEmbeddedSignatureResult(package, trust).Verified());

    EXPECT_TRUE(content::IsSupportCurCountry(false));
    EXPECT_EQ(config.GetCountryCode(), L"US");

    content::GetCbsPrivacy();
    EXPECT_TRUE(config.GetPrivacyLink("de").ends_with(L"/legal/privacy-de.html"));
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());

    content::GetCbsBanner(&window);
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_BANNER_READY}));
    EXPECT_EQ(config.GetBanners().size(), 3u);

    content::LoadSubProgramInfo(L"/opt/dl/ZorvikToolkit_2" + std::wstring(19, L'0') + L"DEMOKIT.run");
    ASSERT_EQ(config.SubProgramCount(), 2u);
    SubProgramInfo tool;
    config.GetSubProgram(0, tool);
    EXPECT_EQ(tool.local_path, (work / "zorvik_tool_1.2.0.exe").wstring());
    ASSERT_EQ(CDownLoadImpl().SuperDownloadFile(tool.download, tool.local_path, cdnText, false,
                                                false),
              Success);
    EXPECT_EQ(FuntionImpl::Utf8ToUtf16(CDownLoadImpl::FileMd5(FuntionImpl::Utf16ToUtf8(tool.local_path))),
              tool.file_md5);
    EXPECT_TRUE(FuntionImpl::VerifyEmbeddedSignatureResult(tool.local_path, trust).Verified());

    const std::string report = Report();
    for (const char* seen : {"download-info 1", "geolocation 1", "privacy 1", "banners 1", "kits 1",
                             "(Zorvik Video Converter)"})
        EXPECT_NE(report.find(seen), std::string::npos) << seen << "\n" << report;
}

TEST_F(VendorStandTest, AForbiddenCountryIsRefusedAndLimitedSubProgramsDropped) {
    SetCountry("CN");
    EXPECT_FALSE(content::IsSupportCurCountry(false));
    content::LoadSubProgramInfo(L"/opt/dl/ZorvikToolkit_2" + std::wstring(19, L'0') + L"DEMOKIT.run");
    EXPECT_EQ(CConfigure::Instance().SubProgramCount(), 1u);
}

TEST_F(VendorStandTest, AnUnknownProductOrKeyGetsNoAnswerToApply) {
    CConfigure::Instance().Downloader_id = 9999;
    EXPECT_EQ(content::getDownloadInfoServer(true), 0);
    EXPECT_EQ(CConfigure::Instance().GetLoadSource(), 2);
    content::LoadSubProgramInfo(L"/opt/dl/ZorvikToolkit_2" + std::wstring(19, L'0') + L"NOKIT.run");
    EXPECT_EQ(CConfigure::Instance().SubProgramCount(), 0u);
    EXPECT_TRUE(CConfigure::Instance().GetSubProgramInfoDone());
}

}  // namespace
