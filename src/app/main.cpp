// The installer's entry point. It brings the process up in a fixed order: skin package first,
// because the configuration document lives in it; then the configuration; then the log, whose
// file name derives from the configuration; then the HTTP library and the user-log sender.
// The window and the install flow plug in between start-up and shut-down.
#include <curl/curl.h>

#include <string>

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "download/DownloadEvents.h"
#include "platform/DebugOutput.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"
#include "ui/SkinPackage.h"

namespace {

using FuntionImpl::Utf16ToUtf8;

void SetUpLogging(CConfigure& config) {
    const std::wstring logFile = config.GetLogFilePath();
    if (logFile.empty()) {
        platform::DebugOutput(L"日志目录获取为空");
        return;
    }
    platform::DebugOutput(L"设置日志信息");
    FuntionImpl::ConfigureLogger(Utf16ToUtf8(logFile));
}

void InitGlobalConfig() {
    const CURLcode code = curl_global_init(CURL_GLOBAL_ALL);
    if (code != CURLE_OK) CVD_LOG << "curl_global_init is error  code  = " << code;
}

void StartUserLog(const CConfigure& config) {
    CSingleUserLog::Instance().SetUserLogInfo(
        config.Downloader_id, config.Site_id, Utf16ToUtf8(config.GetSoftware_name()),
        Utf16ToUtf8(config.GetDownload_url()), config.IsToolkit, config.MainPid);
}

void ShutDown() {
    CVD_LOG << "clear resoure";
    CVD_LOG << " Wait exit 3";
    CSingleUserLog::Instance().WaitThreadForExit();
    CVD_LOG << " Wait exit 4";
    curl_global_cleanup();
    CVD_LOG << " Wait exit 5";
}

}  // namespace

int main() {
    platform::DebugOutput(L"进入下载器");
    LoadSkinPackage();
    CConfigure& config = CConfigure::Instance();
    config.Init();
    Endpoints::Instance().Load();
    SetUpLogging(config);
    InitGlobalConfig();
    StartUserLog(config);
    InstallUserLogEvents();
    config.printContent();
    ShutDown();
    return 0;
}
