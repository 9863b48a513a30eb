// Whole install attempts against the vendor stand: its service answers the queries and takes the
// exception reports, nginx serves the build's signed demo setups, the setups really install into
// the chosen folder, and the product really starts (on a private X server).
#include <fstream>
#include <iostream>

#include "ContentTestSupport.h"
#include "InstallTestSupport.h"
#include "PackageTestSupport.h"
#include "XvfbServer.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/DownloadInfoQuery.h"
#include "content/SubProgramInfo.h"
#include "install/InstallPathCheck.h"
#include "install/PreInstallChecks.h"
#include "install/StartApp.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/ProcessList.h"
#include "sys/PackageSignature.h"
#include "sys/TextConvert.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

const fs::path kPackages = CVD_PACKAGE_DIR;

// A signed setup whose program is a shell script that never ends before `seconds`: an installer
// that hangs. It writes its process id into `pidFile`.
void WriteHangingSetup(const fs::path& path, int seconds, const fs::path& pidFile) {
    const fs::path script = path.string() + ".sh";
    std::ofstream(script, std::ios::binary)
        << "#!/bin/sh\necho $$ > '" << pidFile.string() << "'\nexec sleep " << seconds << "\n"
        << std::string(1100000, '#') << "\n";
    fs::create_directories(path.string() + ".files");
    ASSERT_TRUE(
        BuildSetup(path.string() + ".files", path, "Zorvik Video Converter", "1.0.0.0", script));
    ASSERT_TRUE(SignFile(CVD_KEY_DIR "/publisher.key", CVD_KEY_DIR "/publisher.pem", path));
}

// A signed setup of an older build of the product.
void WriteOlderBuild(const fs::path& path) {
    const fs::path payload = path.string() + ".files";
    fs::create_directories(payload);
    std::ofstream(payload / "ZorvikVideoConverter.exe") << "an older build";
    ASSERT_TRUE(BuildSetup(payload, path, "Zorvik Video Converter", "0.9.0.0"));
    ASSERT_TRUE(SignFile(CVD_KEY_DIR "/publisher.key", CVD_KEY_DIR "/publisher.pem", path));
}

class InstallStandTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        fs::create_directories(state / "root" / "direct");
        fs::copy_file(kPackages / "zorvikvideoconverter_zorvik.exe",
                      state / "root" / "direct" / "zorvikvideoconverter_zorvik.exe");
        // One byte changed after signing: the digest the stand computes still matches.
        fs::copy_file(kPackages / "zorvikvideoconverter_zorvik.exe", env.Root() / "tampered.exe");
        {
            std::fstream file(env.Root() / "tampered.exe",
                              std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(100000);
            file.put('\x5a');
        }
        WriteHangingSetup(state / "root" / "direct" / "hanging_setup.exe", 30, hangingPid);
        WriteOlderBuild(env.Root() / "older.exe");
        WriteCatalogue();
        cdn = std::make_unique<CdnStand>(state / "root", env.Root() / "nginx");
        ASSERT_TRUE(cdn->Started());
        vendor = std::make_unique<VendorService>(
            state, cdn->Https(""),
            std::vector<std::string>{"--catalogue", (env.Root() / "catalogue.json").string()});
        ASSERT_TRUE(vendor->Started());
        for (auto key : {endpoint::kUpdateServerInternational, endpoint::kProductAlertServer,
                         endpoint::kContentServerInternational, endpoint::kDataServiceProduction})
            Endpoints::Instance().Set(key, vendor->Host());
        trust = FuntionImpl::TrustStoreFromFolder(
            Wide(MakeTrustFolder(PublisherKeys{CVD_KEY_DIR}, env.Root() / "trust")));
        window.installPath = Wide(env.Root() / "apps" / "Zorvik");
        window.defaultPath = window.installPath;
        CConfigure::Instance().PackageSizeReported = true;
    }
    void TearDown() override {
        if (HasFailure()) std::cerr << log.Text();
        if (hangingRun) KillProcessNamedIn(hangingPid, 10000);
        KillProgramsUnder(env.Root() / "apps");
        CConfigure& config = CConfigure::Instance();
        std::error_code ignored;
        fs::remove_all(PathOf(config.GetWorkDirectory()), ignored);
        InstallTest::TearDown();
    }
    void WriteCatalogue() {
        const std::string packages = kPackages.string();
        std::ofstream(env.Root() / "catalogue.json")
            << R"({"salt": "vbjqdTC36npw8KF5", "country": "US",
  "products": [
    {"downloader_id": 185, "software_name": "Zorvik Video Converter", "software_version": "1.0.0.0",
     "process_name": "ZorvikVideoConverter.exe",
     "package": {"path": "download/zorvikvideoconverter_zorvik.exe", "source": ")" +
                   packages + R"(/zorvikvideoconverter_zorvik.exe"}},
    {"downloader_id": 186, "software_name": "Zorvik Toolkit", "software_version": "2.0.0.0",
     "process_name": "ZorvikToolkit.exe",
     "package": {"path": "download/zorviktoolkit_setup.exe", "source": ")" +
                   packages + R"(/zorviktoolkit_setup.exe"}},
    {"downloader_id": 187, "software_name": "Zorvik Video Converter", "software_version": "1.0.0.1",
     "process_name": "ZorvikVideoConverter.exe",
     "package": {"path": "download/zorvikvideoconverter_tampered.exe", "source": ")" +
                   (env.Root() / "tampered.exe").string() + R"("}},
    {"downloader_id": 188, "software_name": "Zorvik Video Converter", "software_version": "1.0.0.0",
     "process_name": "ZorvikVideoConverter.exe",
     "package": {"path": "download/zorvikvideoconverter_other.exe", "source": ")" +
                   packages + R"(/zorviktoolkit_setup.exe"}},
    {"downloader_id": 189, "software_name": "Zorvik Video Converter", "software_version": "0.9.0.0",
     "process_name": "ZorvikVideoConverter.exe",
     "package": {"path": "download/zorvikvideoconverter_older.exe", "source": ")" +
                   (env.Root() / "older.exe").string() + R"("}}],
  "kits": {"DEMOKIT": [
    {"pid": 3001, "parent_pid": 2705, "path": "kits/zorvik_tool.exe", "source": ")" +
                   packages + R"(/zorvik_tool_setup.exe",
     "version": "1.2.0", "launch_name": "zorvik_tool.exe", "install_dir": "ZorvikTool", "country_limit": ""},
    {"pid": 3002, "parent_pid": 2705, "path": "kits/zorvik_helper.exe", "source": ")" +
                   packages + R"(/zorvik_helper_setup.exe",
     "version": "0.9.1", "launch_name": "zorvik_helper.exe", "install_dir": "ZorvikHelper", "country_limit": ""}]}})";
    }
    // The product's configuration document before the server has answered.
    void Product(int id, const std::string& url, const std::string& md5 = {}) {
        std::vector<std::pair<std::string, std::string>> entries = {
            {"Downloader_id", std::to_string(id)},
            {"Site_id", "61"},
            {"Language_id", "1033"},
            {"MainPid", "2705"},
            {"Department", "0"},
            {"Software_name", "Zorvik"},
            {"Package_product", id == 186 ? "Zorvik Toolkit" : "Zorvik Video Converter"},
            {"Package_min_version", "1.0.0.0"},
            {"Process_name", "ZorvikVideoConverter.exe"},
            {"InstallTimeout", "120"},
            {"Download_url", url}};
        if (!md5.empty()) entries.push_back({"Md5", md5});
        ApplyConfig(entries);
    }
    install::InstallSeams Seams() {
        install::InstallSeams seams = install::DefaultSeams();
        seams.verifySignature = [this](const std::wstring& path) {
            return FuntionImpl::VerifyEmbeddedSignatureResult(path, trust).Verified();
        };
        seams.restartSelf = [this] {
            ++restarts;
            return true;
        };
        return seams;
    }
    // The answer applied as the window's first query does at start-up.
    void ServerAnswered() {
        ASSERT_EQ(content::getDownloadInfoServer(false), 1);
        CConfigure::Instance().SetInstallState(1);
    }
    std::uint32_t Run() { return install::InstallThreadFunc(window, Seams()); }
    std::string Report() {
        env.Set("CVD_STAND_DIR", state.string());
        platform::ProcessOptions options;
        options.commandLine =
            platform::QuoteArgument(FuntionImpl::Utf8ToUtf16(VendorStandDir() + "/vendor-stand")) +
            L" report";
        options.captureOutput = true;
        auto process = platform::Process::Start(options);
        std::string all, chunk;
        while (process && process->ReadOutput(chunk, 4096, 20000) == platform::Process::Read::Data)
            all += chunk;
        return all;
    }
    std::uintptr_t LastFailure() {
        for (const auto& posted : window.target->All())
            if (posted.message == WM_INSTALL_FAILED) return posted.wParam;
        return 99999;
    }
    fs::path Installed(const std::string& relative) {
        return PathOf(window.installPath) / relative;
    }
    // The attempt for product `id` refuses its signed package the way it refuses a bad signature.
    void ExpectSignatureFailure(int id, const std::string& why) {
        Product(id, "https://h/unused.exe");
        ServerAnswered();
        EXPECT_EQ(Run(), install::kStoppedOrFailed);
        EXPECT_EQ(window.target->Messages().back(), WM_INSTALL_SIGNATURE_FAIL);
        EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL014"));
        EXPECT_TRUE(log.Contains(" Package product check failed: " + why)) << why;
    }

    fs::path state = env.Root() / "stand";
    fs::path hangingPid = env.Root() / "hanging.pid";
    bool hangingRun = false;  // the hanging setup was handed to the flow
    std::unique_ptr<CdnStand> cdn;
    std::unique_ptr<VendorService> vendor;
    FuntionImpl::TrustStore trust;
    int restarts = 0;
};

TEST_F(InstallStandTest, AFirstInstallDownloadsVerifiesInstallsAndStartsTheProduct) {
    Product(185, "https://h/zorvikvideoconverter_zorvik.exe");
    ServerAnswered();
    ASSERT_EQ(Run(), install::kInstalled);
    EXPECT_TRUE(fs::exists(Installed("ZorvikVideoConverter.exe")));
    EXPECT_EQ(window.target->Messages(),
              (std::vector<std::uint32_t>{WM_INSTALL_VERIFYING, WM_INSTALL_RUNNING}));
    const auto progress = window.target->Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 64u);
    EXPECT_TRUE(
        events.InOrder({"ga4|Download|3.Downloading...|First", "ga4|Download|4.DownFinsh|First",
                        "ga4|Download|Md5CheckStart|", "ga4|Download|5.ProgramInstall|First",
                        "ga4|Download|6.ProgramFinsh|First"}))
        << ::testing::PrintToString(events.All());
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());

    // "Use Now": the product starts from the folder, on a private X server.
    const auto server = cvdtools::StartXvfb("1024x768x24");
    ASSERT_TRUE(server);
    env.Set("DISPLAY", server->display);
    CConfigure::Instance().admin_flag = 1;
    install::RunStartApp(window, install::DefaultStartSeams());
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(events.Has("ga4|Download|9.StartWindow|0"));
    const std::wstring exe = Wide(Installed("ZorvikVideoConverter.exe"));
    int pid = 0;
    for (int wait = 0; wait < 100 && pid == 0; ++wait, platform::SleepMs(100))
        for (const auto& process :
             platform::ListProcesses().value_or(std::vector<platform::RunningProcess>{}))
            if (process.exePath == exe) pid = process.pid;
    EXPECT_NE(pid, 0) << "the product is not running";

    // A second install while the product runs is refused before anything is done.
    window.boxes.clear();
    EXPECT_EQ(install::BeginInstallTask(window, Seams()), -1);
    EXPECT_EQ(window.boxes, std::vector<int>{3});
    EXPECT_TRUE(events.Has("funnel|ErrorReporting|Error|MainErrorType=DL0024"));
    KillProgramsUnder(env.Root() / "apps");
    cvdtools::StopXvfb(server->pid);
}

TEST_F(InstallStandTest, ConfigurationFromTheDocumentIsQueriedAgainAtTheClick) {
    Product(185, "https://h/zorvikvideoconverter_zorvik.exe", "not-the-digest");
    CConfigure::Instance().SetLoadSource(2);
    window.target->onRecheck = [this] {
        if (install::IsCorrectInstallPath(window)) CConfigure::Instance().SetInstallState(1);
    };
    ASSERT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(window.target->Messages().front(), WM_INSTALL_RECHECK_PATH);
    EXPECT_EQ(CConfigure::Instance().GetLoadSource(), 1);
    EXPECT_TRUE(fs::exists(Installed("ZorvikVideoConverter.exe")));
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());  // the server's digest matched
    EXPECT_NE(Report().find("download-info 1"), std::string::npos);
}

TEST_F(InstallStandTest, AServerStillUnreachableStartsAFreshDownloadWithoutTheDigestCheck) {
    Endpoints::Instance().Set(endpoint::kUpdateServerInternational, "127.0.0.1:9");
    Product(185, cdn->Https("direct/zorvikvideoconverter_zorvik.exe"), "not-the-digest");
    CConfigure& config = CConfigure::Instance();
    config.PushDownloadUrl(
        FuntionImpl::Utf8ToUtf16(cdn->Https("direct/zorvikvideoconverter_zorvik.exe")));
    config.SetLoadSource(2);
    window.target->onRecheck = [] { CConfigure::Instance().SetInstallState(1); };
    const std::wstring package = config.GetWorkDirectory() + config.GetPackageFileName();
    fs::create_directories(PathOf(config.GetWorkDirectory()));
    std::ofstream(PathOf(package)) << "an older download";
    std::ofstream(PathOf(package + L".xml")) << "<broken";
    ASSERT_EQ(Run(), install::kInstalled);
    EXPECT_TRUE(log.Contains(" Configure Load From File, clearAppData Before Download! "));
    EXPECT_TRUE(log.Contains(" finish main md5 check ret = 1"));
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError|DL013").empty());
    EXPECT_TRUE(fs::exists(Installed("ZorvikVideoConverter.exe")));
}

TEST_F(InstallStandTest, AWrongDigestWithAGoodSignatureIsReportedAndInstalled) {
    Product(185, cdn->Https("direct/zorvikvideoconverter_zorvik.exe"),
            "0123456789abcdef0123456789abcdef");
    CConfigure::Instance().PushDownloadUrl(
        FuntionImpl::Utf8ToUtf16(cdn->Https("direct/zorvikvideoconverter_zorvik.exe")));
    CConfigure::Instance().SetLoadSource(1);
    CConfigure::Instance().SetInstallState(1);
    ASSERT_EQ(Run(), install::kInstalled);
    EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL013"));
    EXPECT_TRUE(fs::exists(Installed("ZorvikVideoConverter.exe")));
    EXPECT_NE(Report().find("MD5_Check_Fail_Cfg1"), std::string::npos);
}

TEST_F(InstallStandTest, ABadSignatureRunsNothing) {
    Product(187, "https://h/zorvikvideoconverter_tampered.exe");
    ServerAnswered();
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(window.target->Messages().back(), WM_INSTALL_SIGNATURE_FAIL);
    EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL014"));
    EXPECT_FALSE(fs::exists(Installed("ZorvikVideoConverter.exe")));
    EXPECT_NE(Report().find("Hash_Check_Fail_Cfg1"), std::string::npos);
}

// The server hands out a package its publisher signed, but not the one this installer is for.
TEST_F(InstallStandTest, ASignedPackageOfAnotherProductRunsNothing) {
    ExpectSignatureFailure(
        188, "the package is \"Zorvik Toolkit\" 2.0.0.0, not \"Zorvik Video Converter\"");
    EXPECT_FALSE(fs::exists(Installed("ZorvikToolkit.exe")));
}

TEST_F(InstallStandTest, ASignedOlderBuildThanTheMinimumRunsNothing) {
    ExpectSignatureFailure(
        189, "the package is \"Zorvik Video Converter\" 0.9.0.0, older than the minimum 1.0.0.0");
    EXPECT_FALSE(fs::exists(Installed("ZorvikVideoConverter.exe")));
}

TEST_F(InstallStandTest, AnInstallerThatOutlivesItsTimeEndsTheAttempt) {
    Product(185, cdn->Https("direct/hanging_setup.exe"));
    CConfigure& config = CConfigure::Instance();
    config.PushDownloadUrl(FuntionImpl::Utf8ToUtf16(cdn->Https("direct/hanging_setup.exe")));
    config.InstallTimeout = 1;
    config.SetLoadSource(2);  // no digest to compare with
    window.target->onRecheck = [] { CConfigure::Instance().SetInstallState(1); };
    Endpoints::Instance().Set(endpoint::kUpdateServerInternational, "127.0.0.1:9");
    hangingRun = true;
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(window.target->Messages().back(), WM_INSTALL_TIMEOUT);
    EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL016"));
    EXPECT_TRUE(events.Matching("ga4|Download|6.ProgramFinsh").empty());
}

TEST_F(InstallStandTest, AToolkitInstallsItsTwoSubPrograms) {
    Product(186, "https://h/zorviktoolkit_setup.exe");
    CConfigure::Instance().IsToolkit = true;
    ServerAnswered();
    content::LoadSubProgramInfo(L"/opt/dl/ZorvikToolkit_2" + std::wstring(19, L'0') +
                                L"DEMOKIT.run");
    ASSERT_EQ(CConfigure::Instance().SubProgramCount(), 2u);
    ASSERT_EQ(Run(), install::kInstalled);
    for (const char* file :
         {"ZorvikToolkit.exe", "ZorvikTool/zorvik_tool.exe", "ZorvikHelper/zorvik_helper.exe"})
        EXPECT_TRUE(fs::exists(Installed(file))) << file;
    // Each download runs its own share of the bar up: 0-32, 32-48, 48-64.
    std::vector<std::uintptr_t> ends;
    for (std::uintptr_t percent : window.target->Progress())
        if (percent == 32 || percent == 48 || percent == 64)
            if (ends.empty() || ends.back() != percent) ends.push_back(percent);
    EXPECT_EQ(ends, (std::vector<std::uintptr_t>{32, 48, 64}));
    EXPECT_TRUE(events.InOrder({"ga4|Download|4.DownFinshIsChToolKit|3001",
                                "ga4|Download|4.DownFinshIsChToolKit|3002",
                                "ga4|Download|5.ProgramInstallIsChToolKit|3001",
                                "ga4|Download|6.ProgramFinshIsChToolKit|3002"}))
        << ::testing::PrintToString(events.All());
}

TEST_F(InstallStandTest, NoUrlAtAllFailsWithItsCode) {
    Product(185, "");
    CConfigure::Instance().SetLoadSource(1);
    CConfigure::Instance().SetInstallState(1);
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(LastFailure(), static_cast<std::uintptr_t>(NoPackageUrl));
    EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL023"));
}

class InstallFaultTest : public InstallTest {
protected:
    void Start(const std::string& url) {
        ApplyConfig({{"Download_url", url}, {"Software_version", "1"}});
        CConfigure::Instance().SetLoadSource(1);
        CConfigure::Instance().SetInstallState(1);
        CConfigure::Instance().PackageSizeReported = true;
        window.installPath = Wide(env.Root() / "apps" / "P");
        result = install::InstallThreadFunc(window, install::DefaultSeams());
        std::error_code ignored;
        fs::remove_all(PathOf(CConfigure::Instance().GetWorkDirectory()), ignored);
    }
    void TearDown() override {
        if (HasFailure()) std::cerr << log.Text();
        InstallTest::TearDown();
    }
    std::uintptr_t Failure() const {
        const auto posted = window.target->All();
        return posted.empty() ? 0 : posted.back().wParam;
    }
    FaultServer server;
    std::uint32_t result = 0;
};

TEST_F(InstallFaultTest, ServerErrorsOnEveryRangeFailWithTooManyFailures) {
    ASSERT_TRUE(server.Started());
    Start(server.Url("status/500/3000000?cvd_fault_" + std::to_string(::getpid()) + ".exe"));
    EXPECT_EQ(result, install::kStoppedOrFailed);
    EXPECT_EQ(window.target->Messages().back(), WM_INSTALL_FAILED);
    EXPECT_EQ(Failure(), static_cast<std::uintptr_t>(TooManyRequestFailures));
    EXPECT_EQ(events.Matching("ga4|Other|DownErrorCode|error11").size(), 4u);
}

// Slow (about four and a half minutes): every attempt waits out the engine's limits.
TEST_F(InstallFaultTest, AStallingCdnFailsAfterFourAttemptsWithTheLastAttemptsCode) {
    ASSERT_TRUE(server.Started());
    Start(server.Url("stall/3000000?cvd_stall_" + std::to_string(::getpid()) + ".exe"));
    EXPECT_EQ(result, install::kStoppedOrFailed);
    // The first attempt sees no progress; the resumed ones gain 64 KiB per stalled request, so
    // the engine ends them on its request-failure limit instead.
    EXPECT_TRUE(log.Contains("download main program retcode = 10 1"));
    EXPECT_EQ(events.Matching("ga4|Other|DownErrorCode|").size(), 4u);
    EXPECT_EQ(window.target->Messages().back(), WM_INSTALL_FAILED);
    EXPECT_TRUE(
        log.Contains("download main program retcode = " + std::to_string(Failure()) + " 4"));
}

}  // namespace
