// Runs a test server (a script under tests/support/ or tools/vendor-stand/) for the life of a
// test. The server binds a free loopback port itself and announces it as the first line of its
// standard output: "PORT <number>". The server is ended on destruction.
//
// On Linux the server is our child (ended with SIGTERM, then SIGKILL). A Windows test cannot
// start a Linux program, so there the server is started on the Linux side by the server host
// (server_host.py, run by a test fixture) that the file named by CVD_SERVER_HOST describes:
// arguments that are Windows paths are handed over as the Linux paths Wine maps them to, the
// server's output lines come back over the connection, and the server ends when the
// connection does.
#pragma once

#include <cstdint>
#include <functional>
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
    // Lines the server printed after the port line, read so far (non-blocking).
    std::vector<std::string> DrainOutput();
    void Stop();

private:
    // The server's process id on Linux; unused on Windows.
    int pid_ = -1;
    // Where the server's output arrives: a pipe descriptor, or the socket to the server host.
    std::intptr_t channel_ = -1;
    int port_ = 0;
    std::string pending_;
};

// Folder of the support scripts in the source tree (compiled in).
std::string SupportDir();

// Splits complete lines off the front of `pending`.
std::vector<std::string> TakeLines(std::string& pending);

// Takes the first line off `pending`, calling `receive(leftMs)` to append more of the server's
// output until `timeoutMs` have passed; `receive` returns false once nothing more can come.
bool TakeLine(std::string& pending, std::string& line, int timeoutMs,
              const std::function<bool(int leftMs)>& receive);

}  // namespace cvdtest
