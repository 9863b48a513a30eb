#include "sys/Log.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/Files.h"
#include "platform/FsPath.h"

INITIALIZE_EASYLOGGINGPP

namespace FuntionImpl {
namespace {

constexpr const char* kFileWriterId = "cvd-log-file";

// easylogging++ opens its log file from a narrow name, which Windows reads in the ANSI code
// page: a log folder named in Chinese would get no log. So the library writes no file itself;
// this callback, which the library calls for every line it dispatches, appends the line the
// library built (same format, same bytes) to a file opened here from the wide path.
class LogFileWriter : public el::LogDispatchCallback {
public:
    // Appends to `path` from now on; false (and no file) when it cannot be opened.
    bool Open(const std::wstring& path) {
        std::error_code ignored;
        std::filesystem::create_directories(platform::FsPath(path).parent_path(), ignored);
        platform::FilePtr file = platform::OpenFile(path, "ab");
        std::lock_guard lock(mutex_);
        file_ = std::move(file);
        return file_ != nullptr;
    }

protected:
    void handle(const el::LogDispatchData* data) override {
        const el::LogMessage* message = data->logMessage();
        if (data->dispatchAction() != el::base::DispatchAction::NormalLog ||
            message->level() != el::Level::Info || message->logger()->id() != "default")
            return;
        const std::string line = message->logger()->logBuilder()->build(message, true);
        std::lock_guard lock(mutex_);
        if (!file_) return;
        std::fwrite(line.data(), 1, line.size(), file_.get());
        // A crash must not take the last lines with it: the dump's log is read after it.
        std::fflush(file_.get());
    }

private:
    std::mutex mutex_;
    platform::FilePtr file_;
};

LogFileWriter& FileWriter() {
    el::Helpers::installLogDispatchCallback<LogFileWriter>(kFileWriterId);
    return *el::Helpers::logDispatchCallback<LogFileWriter>(kFileWriterId);
}

}  // namespace

void ConfigureLogger(const std::wstring& logFile) {
    // Without a file the caller runs with the logger as it is; an empty Filename would not
    // mean "no file" to the library.
    if (logFile.empty()) return;
    el::Configurations conf;
    conf.setToDefault();
    conf.set(el::Level::Info, el::ConfigurationType::Enabled, "true");
    conf.set(el::Level::Info, el::ConfigurationType::ToFile, "false");
    conf.set(el::Level::Info, el::ConfigurationType::ToStandardOutput, "true");
    conf.set(el::Level::Info, el::ConfigurationType::Format, "%datetime--[Thread](%thread) %msg");
    el::Loggers::reconfigureLogger("default", conf);
    FileWriter().Open(logFile);
}

}  // namespace FuntionImpl
