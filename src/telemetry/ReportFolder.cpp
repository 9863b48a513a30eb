#include "telemetry/ReportFolder.h"

#include <filesystem>
#include <fstream>

#include "platform/FsPath.h"

std::wstring ReportFolder::Current() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::wstring() : platform::WidePath(folder);
}

std::string ReportFolder::Proxy() const {
    constexpr std::size_t kMaxProxy = 254;
    std::ifstream in(platform::FsPath(folder_) / "proxy.txt");
    std::string word;
    if (!(in >> word)) return std::string();
    if (word.size() > kMaxProxy) word.resize(kMaxProxy);
    return word;
}

bool ReportFolder::UseTestCollector() const {
    return std::ifstream(platform::FsPath(folder_) / "test").is_open();
}
