// The installer's entry point. It brings the process up in a fixed order: skin package first,
// because the configuration document lives in it; then the configuration; then the log, whose
// file name derives from the configuration.
#include <string>

#include "config/CConfigure.h"
#include "platform/DebugOutput.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "ui/SkinPackage.h"

namespace {

void SetUpLogging(CConfigure& config) {
    const std::wstring logFile = config.GetLogFilePath();
    if (logFile.empty()) {
        platform::DebugOutput(L"日志目录获取为空");
        return;
    }
    platform::DebugOutput(L"设置日志信息");
    FuntionImpl::ConfigureLogger(FuntionImpl::Utf16ToUtf8(logFile));
}

}  // namespace

int main() {
    platform::DebugOutput(L"进入下载器");
    LoadSkinPackage();
    CConfigure& config = CConfigure::Instance();
    config.Init();
    SetUpLogging(config);
    config.printContent();
    return 0;
}
