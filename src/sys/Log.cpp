#include "sys/Log.h"

#include "platform/Process.h"
#include "platform/Text.h"

INITIALIZE_EASYLOGGINGPP

namespace FuntionImpl {

void ConfigureLogger(const std::string& logFile) {
    // Without a file the caller runs with the logger as it is; an empty Filename would not
    // mean "no file" to the library.
    if (logFile.empty()) return;
    el::Configurations conf;
    conf.setToDefault();
    conf.set(el::Level::Info, el::ConfigurationType::Enabled, "true");
    conf.set(el::Level::Info, el::ConfigurationType::ToFile, "true");
    conf.set(el::Level::Info, el::ConfigurationType::ToStandardOutput, "true");
    conf.set(el::Level::Info, el::ConfigurationType::Format, "%datetime--[Thread](%thread) %msg");
    conf.set(el::Level::Info, el::ConfigurationType::Filename, logFile);
    el::Loggers::reconfigureLogger("default", conf);
    // The library opens the file without close-on-exec; no program we start (the product runs
    // as the desktop user) may write into our log.
    platform::KeepFileFromChildren(platform::Utf8ToWide(logFile));
}

}  // namespace FuntionImpl
