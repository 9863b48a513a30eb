#include "PrivateDisplay.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

namespace cvdtools {

PrivateDisplay::PrivateDisplay() {
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        ok_ = true;
        return;
    }
    for (int n = 200; n < 300 && !ok_; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (std::filesystem::exists(lock) || std::filesystem::exists(socket)) continue;
        const std::string display = ":" + std::to_string(n);
        const char* argv[] = {"Xvfb",         display.c_str(), "-screen", "0",
                              "1280x1024x24", "-nolisten",     "tcp",     nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int rc =
            posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return;
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = 0;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (pid > 0 && std::filesystem::exists(socket)) {
            pid_ = pid;
            ok_ = true;
            setenv("DISPLAY", display.c_str(), 1);
        } else if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
}

PrivateDisplay::~PrivateDisplay() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

}  // namespace cvdtools
