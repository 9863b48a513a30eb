// A private X display for tests that need real windows: Xvfb on the first free display number,
// stopped when the object goes away.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

extern char** environ;

namespace toolkit {

class XvfbDisplay {
public:
    // The display a parent test process started; death-test children reuse it.
    static constexpr const char* kInheritedVariable = "CVD_TEST_XVFB_DISPLAY";

    XvfbDisplay() {
        if (const char* inherited = std::getenv(kInheritedVariable)) {
            name_ = inherited;
            setenv("DISPLAY", inherited, 1);
            return;
        }
        for (int n = 90; n < 190 && pid_ <= 0; ++n) {
            if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") ||
                std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)))
                continue;
            const std::string display = ":" + std::to_string(n);
            const char* argv[] = {"Xvfb",        display.c_str(), "-screen", "0",
                                  "1024x768x24", "-nolisten",     "tcp",     nullptr};
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
            pid_t pid = 0;
            const int rc =
                posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
            posix_spawn_file_actions_destroy(&actions);
            if (rc != 0) return;
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
                if (waitpid(pid, nullptr, WNOHANG) == pid) {
                    pid = 0;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (pid > 0 && std::filesystem::exists(socket)) {
                pid_ = pid;
                name_ = display;
                setenv("DISPLAY", display.c_str(), 1);
                setenv(kInheritedVariable, display.c_str(), 1);
            } else if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
    }
    ~XvfbDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Ok() const { return !name_.empty(); }
    pid_t Pid() const { return pid_; }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = 0;
    std::string name_;
};

}  // namespace toolkit
