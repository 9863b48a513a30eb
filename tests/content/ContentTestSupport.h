// Fixtures of the server-content tests: a private home, a fresh configuration and endpoints
// table, the engine's events recorded, the program log captured, and helpers to describe the
// configuration document and the servers the content threads talk to.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CollectorServer.h"
#include "DownloadTestSupport.h"
#include "TempEnv.h"
#include "content/MessageTarget.h"

namespace cvdtest {

// A configuration document entry <Label name=key text=value />.
std::string ConfigEntry(const std::string& key, const std::string& value);
// A fresh configuration and an empty endpoints table.
void ResetConfiguration();
// Applies a configuration document made of `entries` (ConfigEntry texts).
void ApplyConfigDocument(const std::string& entries);

class ContentTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Applies a configuration document made of `entries` (ConfigEntry texts).
    void ApplyConfig(const std::string& entries);
    // Every endpoint of the list to `host`.
    void PointEndpointsAt(const std::vector<std::string_view>& keys, const std::string& host);
    // Events whose text starts with `prefix`.
    std::vector<std::string> Events(const std::string& prefix) const {
        return events.Matching(prefix);
    }

    TempEnv env;
    RecordingEvents events;
    LogCapture log{env.Root() / "content.log"};
};

// A content test whose configuration names a work folder of its own, removed after the test.
class WorkFolderTest : public ContentTest {
protected:
    void TearDown() override;

    // ApplyConfig, then remembers the work folder the configuration names.
    void ApplyConfigWithWorkFolder(const std::string& entries);

    std::filesystem::path work;
};

// Records posted window messages.
class MessageRecorder final : public IMessageTarget {
public:
    void PostCustomMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(message);
    }
    std::vector<std::uint32_t> Messages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::uint32_t> messages_;
};

// The vendor stand's service (tools/vendor-stand/vendorservice.py) on a free loopback port,
// speaking HTTP and HTTPS on the same port, with the stand's catalogue and its files served by
// `cdn`.
class VendorService {
public:
    VendorService(const std::filesystem::path& stateFolder, const std::string& cdnBase,
                  const std::vector<std::string>& options = {});
    bool Started() const { return process_.Started(); }
    std::string Host() const { return "127.0.0.1:" + std::to_string(process_.Port()); }

private:
    ServerProcess process_;
};

// Standard base64 with padding, as the geolocation endpoint is stored.
std::string Base64(const std::string& text);

// tools/vendor-stand in the source tree.
std::string VendorStandDir();

}  // namespace cvdtest
