// POSIX: the server is a child started with posix_spawnp, its standard output on a pipe.
#include "ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace cvdtest {
namespace {

// Appends what arrives on `fd` within `timeoutMs` to `pending`; false at its end or on timeout.
bool Receive(int fd, std::string& pending, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending.append(buffer, static_cast<std::size_t>(n));
    return true;
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> argv, int startTimeoutMs) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    channel_ = pipeFds[0];
    if (rc != 0) return;
    pid_ = pid;
    std::string line;
    const auto receive = [&](int leftMs) { return Receive(pipeFds[0], pending_, leftMs); };
    if (TakeLine(pending_, line, startTimeoutMs, receive) && line.rfind("PORT ", 0) == 0)
        port_ = std::atoi(line.c_str() + 5);
    fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
}

ServerProcess::~ServerProcess() { Stop(); }

std::vector<std::string> ServerProcess::DrainOutput() {
    if (channel_ < 0) return {};
    char buffer[4096];
    ssize_t n;
    while ((n = read(static_cast<int>(channel_), buffer, sizeof buffer)) > 0)
        pending_.append(buffer, static_cast<std::size_t>(n));
    return TakeLines(pending_);
}

void ServerProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            usleep(20000);
        }
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    if (channel_ >= 0) {
        close(static_cast<int>(channel_));
        channel_ = -1;
    }
    port_ = 0;
}

}  // namespace cvdtest
