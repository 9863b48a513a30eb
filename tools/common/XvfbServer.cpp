#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>

extern char** environ;

namespace cvdtools {
namespace {

// The descriptor Xvfb writes its display number to, in the child.
constexpr int kDisplayFd = 3;
constexpr int kStartTimeoutMs = 10000;

// Xvfb choosing its own display number (it takes the lock itself, so two servers started at once
// never share one), standard streams on /dev/null; 0 when it cannot be started.
pid_t SpawnXvfb(int displayWriteEnd, const std::string& screen, XvfbEnd end) {
    const std::string fd = std::to_string(kDisplayFd);
    const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen", "0",
                          screen.c_str(), "-nolisten",  "tcp",      nullptr,   nullptr};
    // A server that resets when its last client goes refuses connections meanwhile: the next
    // window of a test that just closed one would find no display.
    argv[8] = end == XvfbEnd::WithLastClient ? "-terminate" : "-noreset";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, displayWriteEnd, kDisplayFd);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

// The display number Xvfb writes once it accepts clients; -1 when it ended or took too long.
int ReadDisplayNumber(int readEnd) {
    std::string text;
    pollfd entry{readEnd, POLLIN, 0};
    while (text.size() < 16 && poll(&entry, 1, kStartTimeoutMs) == 1) {
        char c = 0;
        if (read(readEnd, &c, 1) != 1) break;
        if (c == '\n') break;
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        text += c;
    }
    return text.empty() || text.size() >= 16 ? -1 : std::stoi(text);
}

}  // namespace

std::optional<XvfbServer> StartXvfb(const std::string& screen, XvfbEnd end) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    const pid_t pid = SpawnXvfb(fds[1], screen, end);
    close(fds[1]);
    const int number = pid > 0 ? ReadDisplayNumber(fds[0]) : -1;
    close(fds[0]);
    if (number < 0) {
        if (pid > 0) StopXvfb(pid);
        return std::nullopt;
    }
    return XvfbServer{pid, ":" + std::to_string(number)};
}

void StopXvfb(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

}  // namespace cvdtools
