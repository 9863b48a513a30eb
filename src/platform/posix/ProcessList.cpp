// POSIX implementation: the process walk reads /proc; a process is ended with SIGKILL.
#include "platform/ProcessList.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "PosixSupport.h"
#include "platform/Clock.h"
#include "platform/Text.h"

namespace platform {
namespace {

std::optional<int> PidOf(const char* name) {
    if (!*name) return std::nullopt;
    char* end = nullptr;
    const long pid = std::strtol(name, &end, 10);
    if (*end != '\0' || pid <= 0 || pid > 0x7FFFFFFF) return std::nullopt;
    return static_cast<int>(pid);
}

std::string ExePath(int pid) {
    std::string path(4096, '\0');
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    constexpr std::string_view deleted = " (deleted)";
    if (path.ends_with(deleted)) path.resize(path.size() - deleted.size());
    return path;
}

// The first word of the command line, for processes whose executable link we may not read.
std::string FirstCommandWord(int pid) {
    const auto text = posix::ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline", 1 << 16);
    if (!text || text->empty()) return {};
    return std::string(text->c_str());
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// True once the process has released its executable: gone, or a zombie nobody reaped yet.
bool Released(int pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
    const auto stat = posix::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", 1 << 16);
    if (!stat) return true;
    const std::size_t close = stat->rfind(')');
    return close != std::string::npos && close + 2 < stat->size() &&
           ((*stat)[close + 2] == 'Z' || (*stat)[close + 2] == 'X');
}

}  // namespace

std::optional<std::vector<RunningProcess>> ListProcesses() {
    DIR* folder = ::opendir("/proc");
    if (!folder) return std::nullopt;
    std::vector<RunningProcess> out;
    while (const dirent* entry = ::readdir(folder)) {
        const auto pid = PidOf(entry->d_name);
        if (!pid) continue;
        RunningProcess process;
        process.pid = *pid;
        const std::string path = ExePath(*pid);
        process.exePath = Utf8ToWide(path);
        process.exeName = Utf8ToWide(FileName(path.empty() ? FirstCommandWord(*pid) : path));
        out.push_back(std::move(process));
    }
    ::closedir(folder);
    std::sort(out.begin(), out.end(),
              [](const RunningProcess& a, const RunningProcess& b) { return a.pid < b.pid; });
    return out;
}

int OwnProcessId() { return static_cast<int>(::getpid()); }

int KillProcess(int pid, unsigned waitMs) {
    if (::kill(pid, SIGKILL) != 0) return errno;
    const std::uint32_t start = TickCount();
    while (!Released(pid) && TickCount() - start < waitMs) SleepMs(5);
    return 0;
}

}  // namespace platform
