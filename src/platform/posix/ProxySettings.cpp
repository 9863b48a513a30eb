// POSIX implementation: the proxy environment, else the GNOME proxy settings read with
// `gsettings get`.
#include "platform/ProxySettings.h"

#include <cstdlib>
#include <initializer_list>

#include "platform/Clock.h"
#include "platform/Process.h"

namespace platform {
namespace {

constexpr std::uint32_t kSettingsWaitMs = 2000;
constexpr std::size_t kMaxSettingBytes = 64 * 1024;

std::string EnvText(const char* lower, const char* upper) {
    for (const char* name : {lower, upper})
        if (const char* value = std::getenv(name); value && *value) return value;
    return {};
}

// One value of `gsettings get`, without its quotes (lists keep their brackets); empty when the
// tool is missing or does not answer in time.
std::string DesktopSetting(const std::wstring& schema, const std::wstring& key) {
    ProcessOptions options;
    options.commandLine = L"gsettings get " + schema + L" " + key;
    options.captureOutput = true;
    auto process = Process::Start(options);
    if (!process) return {};
    std::string all, chunk;
    const std::uint32_t start = TickCount();
    while (TickCount() - start < kSettingsWaitMs && all.size() < kMaxSettingBytes &&
           process->ReadOutput(chunk, 1024, kSettingsWaitMs) == Process::Read::Data)
        all += chunk;
    process->Kill();
    process->Wait(kSettingsWaitMs);
    if (process->ExitCode() != 0) return {};
    while (!all.empty() && (all.back() == '\n' || all.back() == '\r')) all.pop_back();
    if (all.size() >= 2 && all.front() == '\'' && all.back() == '\'')
        all = all.substr(1, all.size() - 2);
    return all;
}

void ReadDesktopProxy(ProxySettings& settings) {
    const std::wstring schema = L"org.gnome.system.proxy";
    const std::string mode = DesktopSetting(schema, L"mode");
    if (mode == "auto") {
        settings.autoConfigUrl = DesktopSetting(schema, L"autoconfig-url");
    } else if (mode == "manual") {
        for (const wchar_t* kind : {L".https", L".http"}) {
            const std::string host = DesktopSetting(schema + kind, L"host");
            if (host.empty()) continue;
            settings.proxy = host + ":" + DesktopSetting(schema + kind, L"port");
            break;
        }
        const std::string ignore = DesktopSetting(schema, L"ignore-hosts");
        if (ignore != "@as []" && ignore != "[]") settings.bypass = ignore;
    }
}

}  // namespace

ProxySettings UserProxySettings() {
    ProxySettings settings;
    settings.proxy = EnvText("https_proxy", "HTTPS_PROXY");
    if (settings.proxy.empty()) settings.proxy = EnvText("http_proxy", "HTTP_PROXY");
    if (settings.proxy.empty()) settings.proxy = EnvText("all_proxy", "ALL_PROXY");
    settings.bypass = EnvText("no_proxy", "NO_PROXY");
    if (settings.proxy.empty() && settings.bypass.empty()) ReadDesktopProxy(settings);
    return settings;
}

}  // namespace platform
