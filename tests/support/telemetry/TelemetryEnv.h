// A private world for one telemetry test: temporary HOME/TMPDIR, the working folder inside it
// (where proxy.txt and test are looked up), every reporting endpoint pointed at a collector, the
// program log written to a file the test can read, and a fresh configuration record.
#pragma once

#include <filesystem>
#include <string>

#include "TempEnv.h"

namespace cvdtest {

// Every reporting endpoint goes to `host` ("127.0.0.1:<port>") until Endpoints is cleared.
void PointTelemetryAt(const std::string& host);
// A host that refuses at once: reports sent there fail fast and never leave the machine.
inline constexpr const char* kRefusingHost = "127.0.0.1:1";

class TelemetryEnv {
public:
    // `host` ("127.0.0.1:<port>") receives every telemetry endpoint.
    explicit TelemetryEnv(const std::string& host);
    ~TelemetryEnv();
    TelemetryEnv(const TelemetryEnv&) = delete;
    TelemetryEnv& operator=(const TelemetryEnv&) = delete;

    TempEnv& Env() { return env_; }
    // Working folder of the test process while this object lives.
    std::filesystem::path WorkDir() const { return env_.Root() / "work"; }
    std::string LogText() const;

private:
    TempEnv env_;
    std::filesystem::path previousDir_;
    std::filesystem::path logFile_;
};

}  // namespace cvdtest
