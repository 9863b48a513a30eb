// The engine against stock web servers started on loopback: nginx and Apache httpd (ranges) and
// Python's http.server (no ranges: the single-stream fallback).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "DownloadTestSupport.h"
#include "FetchProcess.h"
#include "config/CConfigure.h"
#include "download/CDownLoadImpl.h"
#include "sys/TextConvert.h"

namespace {

using FuntionImpl::Utf8ToUtf16;

// One kind of server serving the test's www folder; Url(path) names a file in it.
struct Stand {
    std::function<bool()> started;
    std::function<std::string(const std::string&)> url;
    std::shared_ptr<void> keep;
    // Set when the server cannot read the test's files at all (see WebServer).
    std::string unreachableFolder;

    // Whether the server can serve the test at all; says why not.
    bool Serves(const char* kind) const {
        if (unreachableFolder.empty()) return true;
        std::printf("%s left out: its workers may not enter %s\n", kind, unreachableFolder.c_str());
        return false;
    }
};

class RealServers : public ::testing::Test {
protected:
    void SetUp() override {
        CConfigure::Instance().ResetForTesting();
        std::filesystem::create_directories(www);
        // Apache's workers do not run as the test's user when it is root.
        namespace fs = std::filesystem;
        const auto readable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;
        fs::permissions(env.Root(), readable);
        fs::permissions(www, readable);
    }

    Stand Start(const std::string& kind, int rateKib = 0) {
        if (kind == "nginx") {
            const std::string rate = rateKib ? std::to_string(rateKib) + "k" : "";
            auto nginx = std::make_shared<cvdtest::CdnStand>(www, env.Root() / "nginx", rate);
            return {[nginx] { return nginx->Started(); },
                    [nginx](const std::string& p) { return nginx->Http(p); }, nginx};
        }
        auto server = std::make_shared<cvdtest::WebServer>(kind, www, env.Root() / kind, rateKib);
        return {[server] { return server->Started(); },
                [server](const std::string& p) { return server->Url(p); }, server,
                server->UnreachableFolder()};
    }

    int Download(const std::string& url) {
        CDownLoadImpl impl;
        std::string cdn;
        return impl.SuperDownloadFile(Utf8ToUtf16(url), Utf8ToUtf16(package), cdn, false, true);
    }

    void RemovePackage() {
        std::filesystem::remove(package);
        std::filesystem::remove(package + ".xml");
    }

    // A fresh cvd-fetch of `url` (no package, no task file), killed after a second.
    bool FetchKilledAfterASecond(const std::string& url) {
        RemovePackage();
        cvdtest::FetchProcess fetch({url, package});
        if (!fetch.Started()) return false;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        fetch.Kill();
        return true;
    }

    // Killed once bytes are on record: a fixed wait could kill a slow start (a program under
    // Wine) before it wrote its task file.
    bool FetchKilledMidway(const std::string& url) {
        RemovePackage();
        cvdtest::FetchProcess fetch({url, package});
        if (!fetch.Started()) return false;
        bool recorded = false;
        for (int i = 0; i < 3000 && !recorded; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            recorded = cvdtest::RecordedBytes(package + ".xml") > 0;
        }
        fetch.Kill();
        return recorded;
    }

    cvdtest::TempEnv env;
    std::filesystem::path www = env.Root() / "www";
    std::string package = (env.Root() / "pkg.bin").string();
};

TEST_F(RealServers, EveryServerDeliversTheSameBytes) {
    for (const char* kind : {"nginx", "apache", "python"}) {
        SCOPED_TRACE(kind);
        cvdtest::LogCapture log(env.Root() / (std::string(kind) + ".log"));
        const Stand stand = Start(kind);
        ASSERT_TRUE(stand.started());
        if (!stand.Serves(kind)) continue;
        const std::string name = std::string(kind) + ".bin";
        cvdtest::WriteRandomFile(www / name, 9 * 1048576 + 7, 3);
        RemovePackage();
        EXPECT_EQ(Download(stand.url(name)), Success);
        EXPECT_TRUE(cvdtest::SameBytes(www / name, package));
        EXPECT_EQ(log.Contains(" the server shows no range support: single-stream download"),
                  std::string(kind) == "python");
    }
}

// cvd-fetch killed halfway through and started again ends with the right digest.
TEST_F(RealServers, KilledDownloadResumesOnEveryRangeServer) {
    for (const char* kind : {"nginx", "apache"}) {
        SCOPED_TRACE(kind);
        const Stand stand = Start(kind, 8192);  // about 2 s for the file over four connections
        ASSERT_TRUE(stand.started());
        if (!stand.Serves(kind)) continue;
        const std::string name = std::string(kind) + "-kill.bin";
        cvdtest::WriteRandomFile(www / name, 64 * 1048576 + 99, 8);
        const std::string md5 = CDownLoadImpl::FileMd5((www / name).string());
        ASSERT_TRUE(FetchKilledAfterASecond(stand.url(name)));
        EXPECT_TRUE(cvdtest::RecordedBytesAreServedOnes(package + ".xml", package,
                                                        cvdtest::ReadFile(www / name)));
        cvdtest::FetchProcess second({stand.url(name), package, "--md5", md5});
        ASSERT_TRUE(second.Started());
        EXPECT_EQ(second.Wait(120000), 0) << second.Output();
    }
}

// Replaced on the server by a file of the same size between two runs: the resumed package must
// end as the new file, not a mix of both.
TEST_F(RealServers, FileReplacedBySameSizeBetweenRunsEndsAsTheNewFile) {
    for (const char* kind : {"nginx", "apache"}) {
        SCOPED_TRACE(kind);
        const Stand stand = Start(kind, 8192);
        ASSERT_TRUE(stand.started());
        if (!stand.Serves(kind)) continue;
        const std::string name = std::string(kind) + "-replaced.bin";
        const auto served = www / name;
        constexpr std::int64_t kSize = 64 * 1048576 + 5;
        cvdtest::WriteRandomFile(served, kSize, 21);
        ASSERT_TRUE(FetchKilledMidway(stand.url(name)));
        ASSERT_TRUE(std::filesystem::exists(package + ".xml"));

        const auto before = std::filesystem::last_write_time(served);
        cvdtest::WriteRandomFile(served, kSize, 22);
        // Another version even within the same second: ETag and date come from the time.
        std::filesystem::last_write_time(served, before + std::chrono::hours(1));
        const std::string md5 = CDownLoadImpl::FileMd5(served.string());
        cvdtest::FetchProcess second({stand.url(name), package, "--md5", md5});
        ASSERT_TRUE(second.Started());
        EXPECT_EQ(second.Wait(120000), 0) << second.Output();
    }
}

}  // namespace
