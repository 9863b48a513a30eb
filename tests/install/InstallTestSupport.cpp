#include "InstallTestSupport.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Clock.h"
#include "platform/ProcessList.h"
#include "platform/Text.h"

namespace cvdtest {

FlowEvents::FlowEvents()
    : previousDownload_(SetDownloadEvents(this)),
      previousInstall_(install::SetInstallEvents(this)) {}

FlowEvents::~FlowEvents() {
    SetDownloadEvents(previousDownload_);
    install::SetInstallEvents(previousInstall_);
}

void FlowEvents::add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
}

void FlowEvents::ga4(const std::string& category, const std::string& action,
                     const std::string& label, bool wait) {
    const std::string event = "ga4|" + category + "|" + action + "|" + label;
    if (wait) {
        std::lock_guard<std::mutex> lock(mutex_);
        waited.push_back(event);
    }
    add(event);
}

void FlowEvents::funnel(const std::string& category, const std::string& action,
                        const install::Properties& properties, bool, bool) {
    std::string text;
    for (const auto& [key, value] : properties)
        text += (text.empty() ? "" : ";") + key + "=" + value;
    add("funnel|" + category + "|" + action + "|" + text);
}

void FlowEvents::ga4(const std::string& category, const std::string& action,
                     const std::string& label) {
    ga4(category, action, label, false);
}

void FlowEvents::funnel(const std::string& category, const std::string& action,
                        const std::string& key, const std::string& value) {
    funnel(category, action,
           key.empty() ? install::Properties{} : install::Properties{{key, value}}, false, false);
}

void FlowEvents::funnelBucket(const std::string& category, const std::string& action,
                              const std::string& key, std::int64_t value, std::int64_t width,
                              const std::string& unit) {
    funnel(category, action, key, install::Bucket(value, width, unit));
}

void FlowEvents::funnelProperties(const std::string& category, const std::string& action,
                                  const std::map<std::string, std::string>& properties) {
    funnel(category, action, properties, false, false);
}

std::vector<std::string> FlowEvents::All() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<std::string> FlowEvents::Matching(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& event : All())
        if (event.starts_with(prefix)) out.push_back(event);
    return out;
}

bool FlowEvents::Has(const std::string& event) const {
    const auto all = All();
    return std::find(all.begin(), all.end(), event) != all.end();
}

bool FlowEvents::InOrder(const std::vector<std::string>& wanted) const {
    const auto all = All();
    auto at = all.begin();
    for (const std::string& event : wanted) {
        at = std::find(at, all.end(), event);
        if (at == all.end()) return false;
        ++at;
    }
    return true;
}

void MessageLog::PostCustomMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back({message, wParam});
    }
    if (message == WM_INSTALL_RECHECK_PATH && onRecheck) onRecheck();
}

std::vector<MessageLog::Posted> MessageLog::All() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_;
}

std::vector<std::uint32_t> MessageLog::Messages() const {
    std::vector<std::uint32_t> out;
    for (const Posted& posted : All())
        if (posted.message != WM_INSTALL_PROGRESS) out.push_back(posted.message);
    return out;
}

std::vector<std::uintptr_t> MessageLog::Progress() const {
    std::vector<std::uintptr_t> out;
    for (const Posted& posted : All())
        if (posted.message == WM_INSTALL_PROGRESS) out.push_back(posted.wParam);
    return out;
}

void InstallTest::SetUp() { ResetConfiguration(); }

void InstallTest::TearDown() { ResetConfiguration(); }

void InstallTest::ApplyConfig(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string body;
    for (const auto& [key, value] : entries) body += ConfigEntry(key, value);
    ApplyConfigDocument(body);
}

std::filesystem::path PathOf(const std::wstring& path) {
    const std::string utf8 = platform::WideToUtf8(path);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::wstring Wide(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return platform::Utf8ToWide(std::string(utf8.begin(), utf8.end()));
}

void KillProgramsUnder(const std::filesystem::path& folder) {
    const std::wstring prefix = Wide(folder / "");
    const auto processes = platform::ListProcesses();
    if (!processes) return;
    for (const platform::RunningProcess& process : *processes)
        if (process.exePath.starts_with(prefix) && process.pid != platform::OwnProcessId())
            platform::KillProcess(process.pid);
}

void KillProcessNamedIn(const std::filesystem::path& pidFile, int waitMs) {
    // The script writes the id and its line end at once; until then the file may be empty.
    const std::uint32_t start = platform::TickCount();
    std::string text = ReadFile(pidFile);
    while (text.find('\n') == std::string::npos &&
           static_cast<int>(platform::TickCount() - start) < waitMs) {
        platform::SleepMs(10);
        text = ReadFile(pidFile);
    }
    const int pid = std::atoi(text.c_str());
    if (pid > 0) platform::KillProcess(pid);
}

}  // namespace cvdtest

#include <fstream>

namespace cvdtest {

install::InstallSeams ScriptedFlow::Seams() {
    install::InstallSeams seams;
    seams.download = [this](const std::wstring& url, const std::wstring& path, std::string&, bool,
                            bool, IDownloadProgress* progress) {
        downloadedUrls.push_back(url);
        int result = Success;
        if (!downloadResults.empty()) {
            result = downloadResults.front();
            downloadResults.pop_front();
        }
        if (result == Success) {
            std::ofstream(PathOf(path), std::ios::binary) << "package";
            if (progress) progress->onDownloadProgress(7, 7, 0);
        }
        return result;
    };
    seams.checkMd5 = [this](const std::wstring&, const std::wstring&, const std::wstring&,
                            const std::wstring&) { return md5Result; };
    seams.verifySignature = [this](const std::wstring& path) { return signatureOk(path); };
    seams.verifyProduct = [this](const std::wstring& path) {
        productChecks.push_back(path);
        return productOk;
    };
    seams.runMainPackage = [this](const std::wstring& package, const std::wstring& installPath,
                                  install::IInstallWindow&) {
        mainRuns.push_back(package + L"|" + installPath);
        return mainRunResult;
    };
    seams.runSubPrograms = [this](const std::wstring& installPath, install::IInstallWindow&) {
        subRuns.push_back(installPath);
        return true;
    };
    seams.queryServer = [this] {
        ++queries;
        if (onQuery) onQuery();
        return 1;
    };
    seams.probeUrl = [this](const std::string&, long& status, int& curlCode) {
        if (probeStatuses.empty()) return false;
        status = probeStatuses.front();
        probeStatuses.pop_front();
        curlCode = 0;
        return true;
    };
    seams.postException = [this](const std::string& body, std::string& response) {
        exceptionBodies.push_back(body);
        response = "{\"code\":0}";
        return 0;
    };
    seams.restartSelf = [this] {
        ++restarts;
        return true;
    };
    seams.sleep = [this](std::uint32_t ms) { sleptMs += static_cast<int>(ms); };
    return seams;
}

}  // namespace cvdtest
