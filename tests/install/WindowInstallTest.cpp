// The whole install as a user makes it: the real main window on a private X server, the install
// click, the flow against the vendor stand with the build's signed demo setup, the product
// started from "Use Now"; the stand records the telemetry the real user-log sender sends.
#include <gtk/gtk.h>

#include <fstream>
#include <iostream>

#include "ContentTestSupport.h"
#include "InstallTestSupport.h"
#include "PackageTestSupport.h"
#include "PrivateDisplay.h"
#include "SkinInstall.h"
#include "UiPages.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "download/DownloadEvents.h"
#include "install/InstallPathCheck.h"
#include "install/PreInstallChecks.h"
#include "install/RegistryRecords.h"
#include "install/StartApp.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/ProcessList.h"
#include "sys/PackageSignature.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MessageBoxWnd.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

// The real flow, with the signature checked against the build's demo publisher (the test binary
// carries no skin of its own).
class StandTasks final : public install::IInstallTasks {
public:
    explicit StandTasks(FuntionImpl::TrustStore trust) : trust_(std::move(trust)) {}
    std::int32_t BeginInstallTask(install::IInstallPage& window) override {
        install::InstallSeams seams = install::DefaultSeams();
        seams.verifySignature = [this](const std::wstring& path) {
            return FuntionImpl::VerifyEmbeddedSignatureResult(path, trust_).Verified();
        };
        return install::BeginInstallTask(window, std::move(seams));
    }
    bool IsCorrectInstallPath(install::IInstallPage& window) override {
        return install::IsCorrectInstallPath(window);
    }
    void RunStartApp(install::IInstallPage& window) override { install::RunStartApp(window); }
    void ClearAPPData() override { install::ClearAPPData(); }
    bool CountTooManyRequests() override { return install::CountTooManyRequests(); }

private:
    FuntionImpl::TrustStore trust_;
};

std::string StandReport(const fs::path& state) {
    platform::ProcessOptions options;
    options.commandLine =
        platform::QuoteArgument(FuntionImpl::Utf8ToUtf16(VendorStandDir() + "/vendor-stand")) +
        L" report";
    options.captureOutput = true;
    setenv("CVD_STAND_DIR", state.c_str(), 1);
    auto process = platform::Process::Start(options);
    std::string all, chunk;
    while (process && process->ReadOutput(chunk, 4096, 20000) == platform::Process::Read::Data)
        all += chunk;
    return all;
}

class WindowInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One X server for the whole program: GTK ends the process when its display goes away.
        static cvdtools::PrivateDisplay* display = new cvdtools::PrivateDisplay;
        ASSERT_TRUE(display->Ok() && toolkit::InitShell()) << "no X display";
        std::string error;
        ASSERT_TRUE(cvdtools::InstallSkin(CVD_SOURCE_DIR "/res/skin", error)) << error;

        fs::create_directories(state / "root");
        std::ofstream(env.Root() / "catalogue.json")
            << R"({"salt": "vbjqdTC36npw8KF5", "country": "US",
      "products": [{"downloader_id": 185, "software_name": "Zorvik Video Converter", "software_version": "1.0.0.0",
         "process_name": "ZorvikVideoConverter.exe",
         "package": {"path": "download/zorvikvideoconverter_zorvik.exe", "source": ")" CVD_PACKAGE_DIR
               R"(/zorvikvideoconverter_zorvik.exe"}}]})";
        cdn = std::make_unique<CdnStand>(state / "root", env.Root() / "nginx");
        ASSERT_TRUE(cdn->Started());
        vendor = std::make_unique<VendorService>(
            state, cdn->Https(""),
            std::vector<std::string>{"--catalogue", (env.Root() / "catalogue.json").string()});
        ASSERT_TRUE(vendor->Started());

        CConfigure& config = CConfigure::Instance();
        config.ResetForTesting();
        Endpoints::Instance().Clear();
        for (auto key :
             {endpoint::kUpdateServerInternational, endpoint::kProductAlertServer,
              endpoint::kGa4Collection, endpoint::kCollectorProduction, endpoint::kCollectorTest})
            Endpoints::Instance().Set(key, vendor->Host());
        config.Init();  // the skin's configuration document: product 185 of the stand
        config.Downloader_id = 185;
        config.NeedStart_flag = 0;
        config.admin_flag = 1;
        config.Gif_duration = 0;
        InstallUserLogEvents();

        const auto trust = FuntionImpl::TrustStoreFromFolder(
            Wide(MakeTrustFolder(PublisherKeys{CVD_KEY_DIR}, env.Root() / "trust")));
        window = std::make_unique<InstallUIMainWnd>(std::make_shared<StandTasks>(trust),
                                                    platform::TickCount(), false);
        window->SetOnClosed([] {});
        ASSERT_TRUE(window->CreateMainWindow());
    }
    void TearDown() override {
        CConfigure& config = CConfigure::Instance();
        config.WaitForAllThreadExit(60000);
        KillProgramsUnder(env.Root() / "apps");
        std::error_code ignored;
        fs::remove_all(PathOf(config.GetWorkDirectory()), ignored);
        config.ResetForTesting();
        Endpoints::Instance().Clear();
    }

    TempEnv env;
    LogCapture log{env.Root() / "install.log"};
    fs::path state = env.Root() / "stand";
    std::unique_ptr<CdnStand> cdn;
    std::unique_ptr<VendorService> vendor;
    std::unique_ptr<InstallUIMainWnd> window;
};

// Answers the next message box as a user pressing its button, and remembers its kind.
void AnswerNextBox(int* kind) {
    g_timeout_add(
        50,
        +[](gpointer data) -> gboolean {
            MessageBoxWnd* box = MessageBoxWnd::Topmost();
            if (!box) return G_SOURCE_CONTINUE;
            *static_cast<int*>(data) = box->Kind();
            box->Press("btn_yes");
            return G_SOURCE_REMOVE;
        },
        kind);
}

TEST_F(WindowInstallTest, ClickingInstallThenUseNowInstallsAndStartsTheProduct) {
    CConfigure& config = CConfigure::Instance();
    const std::wstring folder = Wide(env.Root() / "apps");
    window->SetInstallPath(folder);

    window->ClickControl("install_btn");
    const bool done = uipages::SettleUntil(
        [&] { return window->ResultState() == InstallUIMainWnd::kResultShown; }, 240000);
    ASSERT_TRUE(done) << log.Text();
    const std::wstring installed = window->GetInstallPath();
    EXPECT_TRUE(installed.starts_with(folder));
    const fs::path exe = PathOf(installed) / "ZorvikVideoConverter.exe";
    EXPECT_TRUE(fs::exists(exe)) << FuntionImpl::Utf16ToUtf8(installed);

    window->ClickControl("start_app");
    int pid = 0;
    for (int wait = 0; wait < 100 && pid == 0; ++wait) {
        uipages::SettleUntil([] { return false; }, 100);
        for (const auto& process :
             platform::ListProcesses().value_or(std::vector<platform::RunningProcess>{}))
            if (process.exePath == Wide(exe)) pid = process.pid;
    }
    EXPECT_NE(pid, 0) << "the product is not running";
    KillProgramsUnder(env.Root() / "apps");

    config.WaitForAllThreadExit(60000);
    CSingleUserLog::Instance().WaitThreadForExit();
    const std::string text = log.Text();
    std::size_t at = 0;
    for (const char* line :
         {"start main program download: ", "main program download finish", " start main md5 check",
          "all before install correct",
          " [Start Install CmdLine]: ", " Cmd Finished, nWaitSeconds: ", "run start app"}) {
        at = text.find(line, at);
        EXPECT_NE(at, std::string::npos) << line;
    }
    const std::string report = StandReport(state);
    at = 0;
    for (const char* event : {"3.Downloading...", "4.DownFinsh", "Md5CheckStart",
                              "5.ProgramInstall", "6.ProgramFinsh", "9.StartWindow"}) {
        at = report.find(event, at);
        EXPECT_NE(at, std::string::npos) << event << "\n" << report;
    }
}

TEST_F(WindowInstallTest, ServerErrorsOnEveryRangeShowTheTimeOutBoxAndAdvanceTheCounter) {
    FaultServer faults;
    ASSERT_TRUE(faults.Started());
    Endpoints::Instance().Set(endpoint::kUpdateServerInternational, "127.0.0.1:9");
    CConfigure::Instance().PushDownloadUrl(
        FuntionImpl::Utf8ToUtf16(faults.Url("status/500/3000000")));
    window->SetInstallPath(Wide(env.Root() / "apps"));
    int box = -1;
    AnswerNextBox(&box);
    window->ClickControl("install_btn");
    ASSERT_TRUE(uipages::SettleUntil([&] { return box != -1; }, 120000)) << log.Text();
    EXPECT_EQ(box, MSG_INTERNET_TIMEOUT);
    EXPECT_EQ(install::ReadUninstallValue(install::kTooManyRequestsValue), L"1");
}

}  // namespace
