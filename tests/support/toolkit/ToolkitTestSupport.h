// Small helpers shared by the toolkit tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/Log.h"
#include "toolkit/ZipArchive.h"

namespace toolkit {

inline std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Collects the toolkit's log lines for the life of the object instead of printing them.
class LogCapture {
public:
    LogCapture() {
        SetLogSink([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines.push_back(line);
        });
    }
    ~LogCapture() { SetLogSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines;

private:
    std::mutex mutex_;
};

// Writes a w x h PNG of one ARGB colour (straight alpha); false when the file cannot be written.
bool WriteSolidPng(const std::filesystem::path& path, int w, int h, std::uint32_t argb);

// A one-entry archive with the entry stored uncompressed and its name kept exactly as given.
Bytes StoredZip(const std::string& name, const std::string& content);

}  // namespace toolkit
