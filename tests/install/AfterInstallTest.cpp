// The unattended loop of test runs (debug switch AutoRun): the install runs through, nothing is
// started, the downloaded files go, and the installer starts itself once more. These tests write
// the debug settings file beside their executable, so they run on their own.
#include <fstream>

#include "InstallTestSupport.h"
#include "PackageTestSupport.h"
#include "config/CConfigure.h"
#include "install/StartApp.h"
#include "sys/DebugSettings.h"
#include "sys/PackageSignature.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

class AfterInstallTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        std::ofstream(settings, std::ios::trunc) << "[Settings]\nAutoRun=1\n";
        fs::create_directories(env.Root() / "cdn");
        fs::copy_file(fs::path(CVD_PACKAGE_DIR) / "zorvikvideoconverter_zorvik.exe",
                      env.Root() / "cdn" / "zorvikvideoconverter_zorvik.exe");
        cdn = std::make_unique<CdnStand>(env.Root() / "cdn", env.Root() / "nginx");
        ASSERT_TRUE(cdn->Started());
        trust = FuntionImpl::TrustStoreFromFolder(
            Wide(MakeTrustFolder(PublisherKeys{CVD_KEY_DIR}, env.Root() / "trust")));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove(settings, ignored);
        fs::remove_all(PathOf(CConfigure::Instance().GetWorkDirectory()), ignored);
        InstallTest::TearDown();
    }
    fs::path settings = PathOf(FuntionImpl::DebugSettingsPath());
    std::unique_ptr<CdnStand> cdn;
    FuntionImpl::TrustStore trust;
};

TEST_F(AfterInstallTest, AnUnattendedRunInstallsStartsNothingAndRestartsOnce) {
    const std::string url = cdn->Https("zorvikvideoconverter_zorvik.exe");
    ApplyConfig({{"Download_url", url},
                 {"Software_version", "1.0.0.0"},
                 {"Process_name", "ZorvikVideoConverter.exe"},
                 {"Package_product", "Zorvik Video Converter"},
                 {"admin_flag", "1"}});
    CConfigure& config = CConfigure::Instance();
    config.PushDownloadUrl(FuntionImpl::Utf8ToUtf16(url));
    config.SetLoadSource(1);
    config.SetInstallState(1);
    config.PackageSizeReported = true;
    window.installPath = Wide(env.Root() / "apps" / "Zorvik");

    int restarts = 0;
    auto seams = install::DefaultSeams();
    seams.verifySignature = [this](const std::wstring& path) {
        return FuntionImpl::VerifyEmbeddedSignatureResult(path, trust).Verified();
    };
    seams.restartSelf = [&] { return ++restarts, true; };
    ASSERT_EQ(install::InstallThreadFunc(window, std::move(seams)), install::kInstalled);
    EXPECT_EQ(restarts, 1);
    const std::wstring package = config.GetWorkDirectory() + config.GetPackageFileName();
    EXPECT_FALSE(fs::exists(PathOf(package)));
    EXPECT_FALSE(fs::exists(PathOf(package + L".xml")));
    EXPECT_TRUE(fs::exists(PathOf(window.installPath) / "ZorvikVideoConverter.exe"));
    const std::string text = log.Text();
    std::size_t at = 0;
    for (const char* line : {" Force Exit 1", " Force Exit 2", " Force Exit 3", " Force Exit 4",
                             " Force Exit 5 error code = 0"}) {
        at = text.find(line, at);
        EXPECT_NE(at, std::string::npos) << line;
    }

    // The automatic start click: nothing is started, the window still closes.
    install::RunStartApp(window, install::DefaultStartSeams());
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.calls.back(), "close");
    EXPECT_FALSE(log.Contains(" [StartTargetMainExe]: "));
}

TEST_F(AfterInstallTest, AFinishPageIsNotOpenedInAnUnattendedRun) {
    CConfigure::Instance().SetFinishJumpUrl(L"https://vendor/thanks");
    std::vector<std::wstring> opened;
    install::StartSeams seams{
        [](const std::wstring&, std::int32_t, const std::wstring&) { return 0; },
        [&](const std::wstring& url) { opened.push_back(url); }};
    install::RunStartApp(window, seams);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(log.Contains(" Open FinshJumpUrl: https://vendor/thanks"));
    EXPECT_EQ(window.calls.back(), "close");
}

}  // namespace
