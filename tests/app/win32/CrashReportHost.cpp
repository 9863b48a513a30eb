// The installer's crash path on Windows in a process of its own: the same crash plan, handler,
// switch and crash-report mode the run sequence uses, without the skin and windows around them.
//   (no arguments)   writes a log in %CVD_TEST_LOG_DIR%, plans the dump beside it and faults
//   -dmp NAME        the restarted process: packs NAME and its dump and uploads them to the log
//                    upload service at %CVD_TEST_UPLOAD% (host:port)
#include <curl/curl.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/CrashReport.h"
#include "config/Endpoints.h"
#include "config/WorkDirectories.h"
#include "platform/CrashHandler.h"
#include "platform/Text.h"
#include "sys/Log.h"
#include "sys/VersionInfo.h"

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? value : L"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring logDirectory = Variable(L"CVD_TEST_LOG_DIR") + L"\\";
    const std::wstring logFile = logDirectory + L"zorvikvideoconverter_zorvik_1765432100000.log";
    platform::InstallCrashHandler();
    FuntionImpl::ConfigureLogger(logFile);
    const std::wstring line = app::JoinedCommandLine({argv + 1, argv + argc});
    if (const auto name = app::CrashReportArgument(line)) {
        curl_global_init(CURL_GLOBAL_ALL);
        Endpoints::Instance().Set(endpoint::kLogUploadServer,
                                  platform::WideToUtf8(Variable(L"CVD_TEST_UPLOAD")));
        return app::PackCrashReport({*name, logDirectory, workdirs::LocalTimeStamp17()},
                                    app::LogServiceUploader());
    }
    CVD_LOG << "about to fault";
    platform::SetCrashPlan(
        app::CrashPlanFor(185, FuntionImpl::OwnVersionText(), logDirectory, logFile));
    platform::TriggerCrashForTest();
    return 0;
}
