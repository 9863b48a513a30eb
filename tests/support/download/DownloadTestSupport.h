// Fixtures of the download tests: a recording sink for the engine's events, the CDN stand
// (nginx on loopback), the fault server and a log capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ServerProcess.h"
#include "TempEnv.h"
#include "download/DownloadEvents.h"

namespace cvdtest {

// Installed for its lifetime; events are recorded as "ga4|category|action|label",
// "funnel|category|action|key|value" and "bucket|category|action|key|value|width|unit".
class RecordingEvents final : public IDownloadEvents {
public:
    RecordingEvents();
    ~RecordingEvents() override;
    void ga4(const std::string& category, const std::string& action,
             const std::string& label) override;
    void funnel(const std::string& category, const std::string& action, const std::string& key,
                const std::string& value) override;
    void funnelBucket(const std::string& category, const std::string& action,
                      const std::string& key, std::int64_t value, std::int64_t width,
                      const std::string& unit) override;
    // Recorded as "funnel|category|action|key1|value1|key2|value2...".
    void funnelProperties(const std::string& category, const std::string& action,
                          const std::map<std::string, std::string>& properties) override;
    std::vector<std::string> All() const;
    // Recorded events that start with `prefix`.
    std::vector<std::string> Matching(const std::string& prefix) const;

private:
    void add(std::string event);
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
    IDownloadEvents* previous_;
};

// The program's log sent to a file for the life of the object.
class LogCapture {
public:
    explicit LogCapture(const std::filesystem::path& file);
    std::string Text() const;
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::filesystem::path file_;
};

// nginx serving `root` over HTTPS and HTTP on free loopback ports.
class CdnStand {
public:
    CdnStand(const std::filesystem::path& root, const std::filesystem::path& prefix,
             const std::string& limitRate = "", bool http2 = false);
    bool Started() const { return server_ && server_->Started(); }
    // `host` names the loopback address: "localhost" where curl must match the certificate's
    // name (it matches no certificate for an IP address with Windows' TLS).
    std::string Https(const std::string& path, const std::string& host = "127.0.0.1") const;
    std::string Http(const std::string& path) const;
    std::filesystem::path AccessLog() const { return prefix_ / "access.log"; }
    // Waits until nginx serves no request but its status answer, so every answer that ended
    // (a client killed mid-transfer included) is in the access log; false after `timeoutMs`.
    bool WaitUntilIdle(int timeoutMs) const;

private:
    std::unique_ptr<ServerProcess> server_;
    std::filesystem::path prefix_;
    int httpPort_ = 0;
};

// A stock web server serving `root` on a free loopback port: "apache" (Apache httpd with its own
// configuration, at most `rateKib` KiB/s per answer when given) or "python" (http.server, which
// knows no ranges). Apache's workers must be able to read `root`.
class WebServer {
public:
    WebServer(const std::string& kind, const std::filesystem::path& root,
              const std::filesystem::path& prefix, int rateKib = 0);
    bool Started() const { return server_.Started(); }
    std::string Url(const std::string& path) const;
    // The folder on the way to the root that the server's workers may not enter (Apache's, run
    // as another user when the tests run as root, below a private checkout folder); empty when
    // they reach the root.
    const std::string& UnreachableFolder() const { return unreachable_; }

private:
    ServerProcess server_;
    std::string unreachable_;
};

class FaultServer {
public:
    FaultServer();
    bool Started() const { return server_.Started(); }
    std::string Url(const std::string& path) const;

private:
    ServerProcess server_;
};

// A fresh configuration, a private home and a running fault server; `package` lies in the home.
class FaultServerTest : public ::testing::Test {
protected:
    void SetUp() override;

    TempEnv env;
    FaultServer server;
    std::string package = (env.Root() / "pkg.bin").string();
};

// A file of `size` pseudo-random bytes.
void WriteRandomFile(const std::filesystem::path& path, std::int64_t size, unsigned seed = 1);
bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b);
// How many bytes the task file records as downloaded (0 without a task file).
std::int64_t RecordedBytes(const std::string& taskFile);
// Every byte the task file records as downloaded is in the package and equals `served` there.
::testing::AssertionResult RecordedBytesAreServedOnes(const std::string& taskFile,
                                                      const std::string& package,
                                                      const std::string& served);

}  // namespace cvdtest
