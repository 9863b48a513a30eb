#include "toolkit/Log.h"

#include <cstdio>
#include <mutex>

namespace toolkit {
namespace {

void WriteToStandardError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink& CurrentSink() {
    static LogSink sink = WriteToStandardError;
    return sink;
}

}  // namespace

// An empty sink restores the default, so the toolkit is never left without one.
void SetLogSink(LogSink sink) {
    std::lock_guard lock(SinkMutex());
    CurrentSink() = sink ? std::move(sink) : LogSink(WriteToStandardError);
}

// The sink runs outside the lock: it may log again or take the application's own locks.
void Log(const std::string& line) {
    LogSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = CurrentSink();
    }
    sink(line);
}

}  // namespace toolkit
