#include "telemetry/ReportFolder.h"

#include <filesystem>
#include <fstream>

std::string ReportFolder::Current() {
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string ReportFolder::Proxy() const {
    constexpr std::size_t kMaxProxy = 254;
    std::ifstream in(std::filesystem::path(folder_ + "proxy.txt"));
    std::string word;
    if (!(in >> word)) return std::string();
    if (word.size() > kMaxProxy) word.resize(kMaxProxy);
    return word;
}

bool ReportFolder::UseTestCollector() const {
    return std::ifstream(std::filesystem::path(folder_ + "test")).is_open();
}
