// POSIX implementation: walks /proc; the image is /proc/<pid>/exe, the fallback /proc/<pid>/cmdline.
#include "platform/ProcessList.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/Text.h"

namespace platform {
namespace {

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReadLink(const std::string& link) {
    char buffer[4096];
    const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string target(buffer, static_cast<std::size_t>(length));
    // A replaced or removed image reads "path (deleted)": the process still runs that path.
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.ends_with(kDeleted)) target.resize(target.size() - kDeleted.size());
    return target;
}

std::string FirstCommandWord(int pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(file, first, '\0');
    return first;
}

bool IsPidName(const char* name, int& pid) {
    char* end = nullptr;
    const long value = std::strtol(name, &end, 10);
    if (end == name || *end != '\0' || value <= 0) return false;
    pid = static_cast<int>(value);
    return true;
}

}  // namespace

std::optional<std::vector<RunningProcess>> ListProcesses() {
    DIR* proc = ::opendir("/proc");
    if (!proc) return std::nullopt;
    std::vector<RunningProcess> entries;
    while (const dirent* item = ::readdir(proc)) {
        RunningProcess entry;
        if (!IsPidName(item->d_name, entry.pid)) continue;
        const std::string image = ReadLink("/proc/" + std::to_string(entry.pid) + "/exe");
        const std::string name = FileNameOf(image.empty() ? FirstCommandWord(entry.pid) : image);
        if (name.empty()) continue;  // kernel threads and processes gone meanwhile
        entry.exeName = Utf8ToWide(name);
        entry.exePath = Utf8ToWide(image);
        entries.push_back(std::move(entry));
    }
    ::closedir(proc);
    std::sort(entries.begin(), entries.end(),
              [](const RunningProcess& a, const RunningProcess& b) { return a.pid < b.pid; });
    return entries;
}

int OwnProcessId() { return static_cast<int>(::getpid()); }

}  // namespace platform
