#include "ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

extern char** environ;

namespace cvdtest {
namespace {

bool ReadLine(int fd, std::string& pending, std::string& line, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t newline = pending.find('\n');
        if (newline != std::string::npos) {
            line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
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
    const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];
    if (rc != 0) {
        pid_ = -1;
        return;
    }
    std::string line;
    if (ReadLine(stdoutFd_, pending_, line, startTimeoutMs) && line.rfind("PORT ", 0) == 0)
        port_ = std::atoi(line.c_str() + 5);
    fcntl(stdoutFd_, F_SETFL, fcntl(stdoutFd_, F_GETFL) | O_NONBLOCK);
}

ServerProcess::~ServerProcess() { Stop(); }

std::vector<std::string> ServerProcess::DrainOutput() {
    std::vector<std::string> lines;
    if (stdoutFd_ < 0) return lines;
    char buffer[4096];
    ssize_t n;
    while ((n = read(stdoutFd_, buffer, sizeof buffer)) > 0)
        pending_.append(buffer, static_cast<std::size_t>(n));
    std::size_t newline;
    while ((newline = pending_.find('\n')) != std::string::npos) {
        lines.push_back(pending_.substr(0, newline));
        pending_.erase(0, newline + 1);
    }
    return lines;
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
    if (stdoutFd_ >= 0) {
        close(stdoutFd_);
        stdoutFd_ = -1;
    }
    port_ = 0;
}

std::string SupportDir() { return CVD_TEST_SUPPORT_DIR; }

}  // namespace cvdtest
