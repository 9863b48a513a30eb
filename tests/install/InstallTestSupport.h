// Fixtures of the install-flow tests: a private home with a fresh configuration, every event of
// the flow and of the engine recorded in one ordered list, the program log captured, and a
// window that records what the flow asked of it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ContentTestSupport.h"
#include "DownloadTestSupport.h"
#include "TempEnv.h"
#include "download/DownloadEvents.h"
#include "install/InstallEvents.h"
#include "install/InstallTasks.h"
#include "install/WaitingWindow.h"

namespace cvdtest {

// `name` as the last part of a path, after this system's separator.
inline std::wstring AsLastPart(const std::wstring& name) {
    return std::wstring(1, std::filesystem::path::preferred_separator) + name;
}

// Both event seams into one list: "ga4|category|action|label" and
// "funnel|category|action|key=value;key=value" (engine buckets as "key=[bucket]").
class FlowEvents final : public IDownloadEvents, public install::IInstallEvents {
public:
    FlowEvents();
    ~FlowEvents() override;
    void ga4(const std::string& category, const std::string& action, const std::string& label,
             bool wait) override;
    void funnel(const std::string& category, const std::string& action,
                const install::Properties& properties, bool wait, bool subProgram) override;
    void ga4(const std::string& category, const std::string& action,
             const std::string& label) override;
    void funnel(const std::string& category, const std::string& action, const std::string& key,
                const std::string& value) override;
    void funnelBucket(const std::string& category, const std::string& action,
                      const std::string& key, std::int64_t value, std::int64_t width,
                      const std::string& unit) override;
    void funnelProperties(const std::string& category, const std::string& action,
                          const std::map<std::string, std::string>& properties) override;
    std::vector<std::string> All() const;
    std::vector<std::string> Matching(const std::string& prefix) const;
    bool Has(const std::string& event) const;
    // Whether `events` occur in this order (others may lie between).
    bool InOrder(const std::vector<std::string>& events) const;
    std::vector<std::string> waited;  // GA4 events sent with the wait flag

private:
    void add(std::string event);
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
    IDownloadEvents* previousDownload_;
    install::IInstallEvents* previousInstall_;
};

class MessageLog final : public IMessageTarget {
public:
    struct Posted {
        std::uint32_t message;
        std::uintptr_t wParam;
    };
    void PostCustomMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override;
    std::vector<Posted> All() const;
    // The posted messages other than progress.
    std::vector<std::uint32_t> Messages() const;
    std::vector<std::uintptr_t> Progress() const;
    // What to do when the thread asks for the folder re-check (on the posting thread).
    std::function<void()> onRecheck;

private:
    mutable std::mutex mutex_;
    std::vector<Posted> posted_;
};

// The main window as the flow sees it.
class RecordingWindow final : public install::IInstallPage, public install::IWaitingWindowHost {
public:
    RecordingWindow() : target(std::make_shared<MessageLog>()) {}
    std::wstring GetInstallPath() const override { return installPath; }
    std::wstring GetDefaultPath() const override { return defaultPath; }
    std::shared_ptr<IMessageTarget> GetMessageTarget() const override { return target; }
    void SetInstallPath(const std::wstring& path) override { installPath = path; }
    std::int32_t ShowMessageBox(std::int32_t kind, bool) override {
        boxes.push_back(kind);
        return 1;
    }
    void ShowRunningPage() override { calls.push_back("running page"); }
    bool IsBannerReady() const override { return true; }
    void SetProductStarted() override { calls.push_back("product started"); }
    void RequestClose() override { calls.push_back("close"); }
    void HideWindow() override { calls.push_back("hide"); }
    void ShowWaitingWindow(const install::WaitingStart& start) override {
        waiting = start;
        calls.push_back("waiting window");
    }

    std::wstring installPath;
    std::wstring defaultPath;
    std::shared_ptr<MessageLog> target;
    std::vector<int> boxes;
    std::vector<std::string> calls;
    install::WaitingStart waiting;
};

// A private home, a fresh configuration and endpoints table, events and log recorded.
class InstallTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Applies a configuration document made of <Label name=key text=value /> entries.
    void ApplyConfig(const std::vector<std::pair<std::string, std::string>>& entries);

    TempEnv env;
    FlowEvents events;
    LogCapture log{env.Root() / "install.log"};
    RecordingWindow window;
};

std::filesystem::path PathOf(const std::wstring& path);
std::wstring Wide(const std::filesystem::path& path);

// Ends every process whose program lies under `folder`, however late it started: a product a
// test installed and started there must not outlive the test.
void KillProgramsUnder(const std::filesystem::path& folder);

// Ends the process whose id a test's script wrote into `pidFile`, waiting up to `waitMs` for the
// file when the script may still be starting.
void KillProcessNamedIn(const std::filesystem::path& pidFile, int waitMs);

}  // namespace cvdtest

#include <deque>
#include <functional>

#include "install/InstallAttempt.h"

namespace cvdtest {

// Seams that never leave the process: each download answers the next scripted result (success
// when the script is empty) and writes a small file on success; the checks answer as set; the
// installer runs are recorded.
struct ScriptedFlow {
    std::deque<int> downloadResults;
    std::vector<std::wstring> downloadedUrls;
    int md5Result = 1;
    std::function<bool(const std::wstring&)> signatureOk = [](const std::wstring&) { return true; };
    bool productOk = true;
    std::vector<std::wstring> productChecks;  // the paths checked
    bool mainRunResult = true;
    std::vector<std::wstring> mainRuns;  // "package|installPath"
    std::vector<std::wstring> subRuns;   // install paths
    std::vector<std::string> exceptionBodies;
    int queries = 0;
    std::function<void()> onQuery;
    std::deque<long> probeStatuses;  // empty: the helper cannot be created
    int restarts = 0;
    int sleptMs = 0;

    install::InstallSeams Seams();
};

}  // namespace cvdtest
