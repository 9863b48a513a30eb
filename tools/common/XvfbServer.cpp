#include "XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

extern char** environ;

namespace cvdtools {
namespace {

std::string SocketOf(int n) { return "/tmp/.X11-unix/X" + std::to_string(n); }

bool DisplayTaken(int n) {
    return std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") ||
           std::filesystem::exists(SocketOf(n));
}

// Xvfb with its standard streams on /dev/null; 0 when it cannot be started.
pid_t SpawnXvfb(const std::string& display, const std::string& screen) {
    const char* argv[] = {"Xvfb",         display.c_str(), "-screen", "0",
                          screen.c_str(), "-nolisten",     "tcp",     nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

// True once the server listens; false when it ended or took longer than five seconds.
bool WaitForSocket(pid_t pid, const std::string& socket) {
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (std::filesystem::exists(socket)) return true;
    StopXvfb(pid);
    return false;
}

}  // namespace

std::optional<XvfbServer> StartXvfb(int first, int last, const std::string& screen) {
    for (int n = first; n < last; ++n) {
        if (DisplayTaken(n)) continue;
        const std::string display = ":" + std::to_string(n);
        const pid_t pid = SpawnXvfb(display, screen);
        if (pid == 0) return std::nullopt;
        if (WaitForSocket(pid, SocketOf(n))) return XvfbServer{pid, display};
    }
    return std::nullopt;
}

void StopXvfb(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

}  // namespace cvdtools
