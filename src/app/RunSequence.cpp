#include "app/RunSequence.h"

#include <curl/curl.h>

#include "app/SingleInstance.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "config/SkinPackage.h"
#include "config/WorkDirectories.h"
#include "download/DownloadEvents.h"
#include "install/StartErrorEvents.h"
#include "platform/Clock.h"
#include "platform/CrashHandler.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/NetworkUtils.h"
#include "sys/TextConvert.h"
#include "sys/VersionInfo.h"
#include "telemetry/SingleUserLog.h"

namespace app {
namespace {

using FuntionImpl::Utf16ToUtf8;

void SetUpLogging(CConfigure& config) {
    const std::wstring logFile = config.GetLogFilePath();
    if (logFile.empty()) {
        platform::DebugOutput(L"日志目录获取为空");
        return;
    }
    platform::DebugOutput(L"设置日志信息");
    FuntionImpl::ConfigureLogger(logFile);
}

void InitGlobalConfig() {
    const CURLcode code = curl_global_init(CURL_GLOBAL_ALL);
    if (code != CURLE_OK) CVD_LOG << "curl_global_init is error  code  = " << code;
}

// The dump goes beside the log; the handler reads this plan, so it is set once the log is known.
void PlanCrashDump(CConfigure& config) {
    platform::SetCrashPlan(CrashPlanFor(config.Downloader_id, FuntionImpl::OwnVersionText(),
                                        config.GetLogDirectory(), config.GetLogFilePath()));
}

// Said once at start-up: the lock folder is chosen again at each use, the same way.
void LogLockFolder() {
    const platform::RuntimeFolderChoice choice = platform::ChooseRuntimeFolder();
    for (const std::wstring& refused : choice.refused)
        CVD_LOG << " lock folder refused: " << Utf16ToUtf8(refused);
    if (choice.refused.empty()) return;
    if (choice.folder.empty())
        CVD_LOG << " lock folder: none, locks hold within this process only";
    else
        CVD_LOG << " lock folder: " << Utf16ToUtf8(choice.folder)
                << (choice.fresh ? " (this process alone)" : "");
}

}  // namespace

RunHooks RunHooks::Real() {
    RunHooks hooks;
    hooks.loadSkin = HandOverSkinPackage;
    hooks.initConfig = [] {
        CConfigure::Instance().Init();
        Endpoints::Instance().Load();
    };
    hooks.installCrashHandler = platform::InstallCrashHandler;
    hooks.gates = GateFacts::Real();
    hooks.uploadCrashReport = LogServiceUploader();
    return hooks;
}

RunSequence::RunSequence(IStartupUi& ui, RunHooks hooks) : ui_(ui), hooks_(std::move(hooks)) {}

int RunSequence::Run(const std::wstring& commandLine) {
    startTick_ = platform::TickCount();
    StartUp();
    if (const auto logName = CrashReportArgument(commandLine)) {
        RunCrashReport(*logName);
        return 0;  // no shut-down in this mode: nothing else was started
    }
    LogLockFolder();
    StartUserLog();

    CConfigure& config = CConfigure::Instance();
    SingleInstance instance(config.Downloader_id);
    if (!instance.Acquire()) {
        if (!FuntionImpl::AutoRun()) {
            CVD_LOG << "mutex already exist";
            if (instance.ActivateExistingWindow()) CVD_LOG << "switch to existed window";
            ShutDown(&instance);
            return 0;
        }
    }
    const StartupGate gate = EvaluateStartupGates(config, hooks_.gates);
    if (gate != StartupGate::None) {
        RefuseStart(gate, ui_, hooks_.gates);
    } else {
        FuntionImpl::AuthorizeInFirewall(platform::ModulePath());  // result ignored
        RunMainWindow(instance);
    }
    ShutDown(&instance);
    return 0;
}

void RunSequence::StartUp() {
    // The crash handler first, so a fault anywhere after it is reported. COM has no counterpart
    // on this system, so its start-up failure exit does not exist here.
    hooks_.installCrashHandler();
    platform::DebugOutput(L"进入下载器");
    hooks_.loadSkin();
    hooks_.initConfig();
    CConfigure& config = CConfigure::Instance();
    SetUpLogging(config);
    PlanCrashDump(config);
    InitGlobalConfig();
}

void RunSequence::RunCrashReport(const std::wstring& logName) {
    // A fault while reporting must not start yet another reporter.
    platform::CrashPlan plan = CrashPlanFor(
        CConfigure::Instance().Downloader_id, FuntionImpl::OwnVersionText(),
        CConfigure::Instance().GetLogDirectory(), CConfigure::Instance().GetLogFilePath());
    plan.restartArguments.clear();
    platform::SetCrashPlan(plan);
    PackCrashReport(
        {logName, CConfigure::Instance().GetLogDirectory(), workdirs::LocalTimeStamp17()},
        hooks_.uploadCrashReport);
}

void RunSequence::StartUserLog() {
    const CConfigure& config = CConfigure::Instance();
    CSingleUserLog::Instance().SetUserLogInfo(
        config.Downloader_id, config.Site_id, Utf16ToUtf8(config.GetSoftware_name()),
        Utf16ToUtf8(config.GetDownload_url()), config.IsToolkit, config.MainPid);
    InstallUserLogEvents();
    install::InstallStartErrorEvents();
}

void RunSequence::RunMainWindow(SingleInstance& instance) {
    CVD_LOG << "new main window";
    if (!ui_.OpenMainWindow(kMainWindowCaption, startTick_)) return;
    instance.ListenForActivation([this] { ui_.BringMainWindowToFront(); });
    ui_.RunMessageLoop();
    instance.StopListening();
    WaitForWorkers();
}

void RunSequence::WaitForWorkers() {
    CVD_LOG << " Wait exit 1";
    const std::uint32_t start = platform::TickCount();
    CConfigure::Instance().WaitForAllThreadExit();
    const std::uint32_t seconds = (platform::TickCount() - start) / 1000;
    CSingleUserLog::Instance().AddUserLog_funnel("CloseDownloader", "WaitWindowThreadExit",
                                                 "WaitTime",
                                                 CSingleUserLog::BucketLabel(seconds, 3, "s"));
    CVD_LOG << "Wait exit 2";
}

void RunSequence::ShutDown(SingleInstance* instance) {
    CVD_LOG << "clear resoure";
    ui_.ShutDownToolkit();
    if (instance) instance->Release();
    CVD_LOG << " Wait exit 3";
    CSingleUserLog::Instance().WaitThreadForExit();
    CVD_LOG << " Wait exit 4";
    curl_global_cleanup();
    CVD_LOG << " Wait exit 5";
}

}  // namespace app
