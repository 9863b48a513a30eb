#include "sys/NetworkUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/Clock.h"
#include "platform/Process.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

constexpr std::size_t kPingChunk = 4095;
// Without a limit ping ends by itself (-W bounds each wait); this only guards a hung command.
constexpr std::uint32_t kSilentPingMs = 30000;
constexpr std::uint32_t kSettingsWaitMs = 2000;

// The milliseconds of one "time=" value; 0 when no number follows.
long long ReplyMs(std::string_view text) {
    const std::string number(text.substr(0, text.find_first_not_of("0123456789.")));
    if (number.empty() || number.front() == '.') return 0;
    const double ms = std::strtod(number.c_str(), nullptr);
    return std::max(1LL, static_cast<long long>(std::ceil(ms)));
}

std::string EnvText(const char* lower, const char* upper) {
    for (const char* name : {lower, upper})
        if (const char* value = std::getenv(name); value && *value) return value;
    return {};
}

// One value of `gsettings get`, without its quotes (lists keep their brackets); empty when the
// tool is missing or does not answer in time.
std::string DesktopSetting(const std::wstring& schema, const std::wstring& key) {
    platform::ProcessOptions options;
    options.commandLine = L"gsettings get " + schema + L" " + key;
    options.captureOutput = true;
    auto process = platform::Process::Start(options);
    if (!process) return {};
    std::string all, chunk;
    const std::uint32_t start = platform::TickCount();
    while (platform::TickCount() - start < kSettingsWaitMs &&
           process->ReadOutput(chunk, 1024, kSettingsWaitMs) == platform::Process::Read::Data)
        all += chunk;
    process->Kill();
    process->Wait(kSettingsWaitMs);
    if (process->ExitCode() != 0) return {};
    while (!all.empty() && (all.back() == '\n' || all.back() == '\r')) all.pop_back();
    if (all.size() >= 2 && all.front() == '\'' && all.back() == '\'')
        all = all.substr(1, all.size() - 2);
    return all;
}

void ReadDesktopProxy(ProxyConfig& config) {
    const std::wstring schema = L"org.gnome.system.proxy";
    const std::string mode = DesktopSetting(schema, L"mode");
    if (mode == "auto") {
        config.autoConfigUrl = DesktopSetting(schema, L"autoconfig-url");
    } else if (mode == "manual") {
        for (const wchar_t* kind : {L".https", L".http"}) {
            const std::string host = DesktopSetting(schema + kind, L"host");
            if (host.empty()) continue;
            config.proxy = host + ":" + DesktopSetting(schema + kind, L"port");
            break;
        }
        const std::string ignore = DesktopSetting(schema, L"ignore-hosts");
        if (ignore != "@as []" && ignore != "[]") config.bypass = ignore;
    }
}

}  // namespace

void AddPingReplies(std::string_view text, PingReplies& replies) {
    constexpr std::string_view kTime = "time=";
    for (std::size_t at = text.find(kTime); at != std::string_view::npos;
         at = text.find(kTime, at + kTime.size())) {
        const long long ms = ReplyMs(text.substr(at + kTime.size()));
        if (ms <= 0) continue;
        replies.sumMs += ms;
        ++replies.count;
    }
}

int PingUrl(const std::wstring& host, int limit) {
    const int count = limit > 0 ? 2 * limit : 4;
    platform::ProcessOptions options;
    // "--" so that a host text can never be read as an option of ping.
    options.commandLine = L"ping -n -c " + std::to_wstring(count) + L" -W 1 -- " +
                          platform::QuoteArgument(host);
    options.captureOutput = true;
    // The replies are read by their English "time=": a translated ping says "Zeit=" or "時間=".
    options.environment = {{L"LC_ALL", L"C"}};
    platform::ProcessStartError error;
    auto process = platform::Process::Start(options, &error);
    if (!process) return error == platform::ProcessStartError::PipeFailed ? -1 : -2;

    const std::uint32_t limitMs = limit > 0 ? static_cast<std::uint32_t>(limit) * 1000 : 0;
    const std::uint32_t start = platform::TickCount();
    PingReplies replies;
    std::string chunk, pending;
    while (true) {
        const std::uint32_t spent = platform::TickCount() - start;
        if (limitMs && spent >= limitMs) break;
        const std::uint32_t wait = limitMs ? limitMs - spent : kSilentPingMs;
        if (process->ReadOutput(chunk, kPingChunk, wait) != platform::Process::Read::Data) break;
        CVD_LOG << " Ping text: " << chunk;
        // A reply line split between two reads is parsed once it is whole.
        pending += chunk;
        const std::size_t lineEnd = pending.rfind('\n');
        if (lineEnd == std::string::npos) continue;
        AddPingReplies(std::string_view(pending).substr(0, lineEnd + 1), replies);
        pending.erase(0, lineEnd + 1);
    }
    AddPingReplies(pending, replies);
    process->Kill();
    process->Wait(5000);
    return replies.count > 0 ? static_cast<int>(replies.sumMs / replies.count) : -3;
}

ProxyConfig ReadProxyConfig() {
    ProxyConfig config;
    config.proxy = EnvText("https_proxy", "HTTPS_PROXY");
    if (config.proxy.empty()) config.proxy = EnvText("http_proxy", "HTTP_PROXY");
    if (config.proxy.empty()) config.proxy = EnvText("all_proxy", "ALL_PROXY");
    config.bypass = EnvText("no_proxy", "NO_PROXY");
    if (config.proxy.empty() && config.bypass.empty()) ReadDesktopProxy(config);
    return config;
}

int ProxyConfigLevel(const ProxyConfig& config) {
    CVD_LOG << " Get proxy: 1, 0";
    int level = 0;
    if (!config.autoConfigUrl.empty()) {
        level = 1;
        CVD_LOG << " Proxy info1: " << config.autoConfigUrl;
    }
    if (!config.proxy.empty()) {
        level = 2;
        CVD_LOG << " Proxy info2: " << config.proxy;
    }
    if (!config.bypass.empty()) {
        level = 3;
        CVD_LOG << " Proxy info3: " << config.bypass;
    }
    return level;
}

int GetIEProxyConfig() { return ProxyConfigLevel(ReadProxyConfig()); }

int AuthorizeInFirewall(const std::wstring&) { return -1; }

}  // namespace FuntionImpl
