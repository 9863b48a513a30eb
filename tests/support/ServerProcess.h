// Runs a test server (a script under tests/support/) as a child process for the life of a test.
// The server binds a free loopback port itself and announces it as the first line of its
// standard output: "PORT <number>". The child is ended (SIGTERM, then SIGKILL) on destruction.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace cvdtest {

class ServerProcess {
public:
    // `argv[0]` is the program (e.g. "python3"); waits up to `startTimeoutMs` for the port line.
    explicit ServerProcess(std::vector<std::string> argv, int startTimeoutMs = 15000);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Started() const { return port_ > 0; }
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    // Lines the server printed after the port line, read so far (non-blocking).
    std::vector<std::string> DrainOutput();
    void Stop();

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    int port_ = 0;
    std::string pending_;
};

// Folder of the support scripts in the source tree (compiled in).
std::string SupportDir();

}  // namespace cvdtest
