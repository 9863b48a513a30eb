#include "sys/NetworkUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/Clock.h"
#include "platform/PingCommand.h"
#include "platform/Process.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

constexpr std::size_t kPingChunk = 4095;
// Without a limit ping ends by itself (-W bounds each wait); this only guards a hung command.
constexpr std::uint32_t kSilentPingMs = 30000;

// The milliseconds of one "time=" value; 0 when no number follows.
long long ReplyMs(std::string_view text) {
    const std::string number(text.substr(0, text.find_first_not_of("0123456789.")));
    if (number.empty() || number.front() == '.') return 0;
    const double ms = std::strtod(number.c_str(), nullptr);
    return std::max(1LL, static_cast<long long>(std::ceil(ms)));
}

void AddReplies(std::string_view text, platform::PingReplyForm form, PingReplies& replies) {
    if (form == platform::PingReplyForm::BeforeTtl)
        AddTtlPingReplies(text, replies);
    else
        AddPingReplies(text, replies);
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

void AddTtlPingReplies(std::string_view text, PingReplies& replies) {
    constexpr std::string_view kTtl = "TTL=";
    for (std::size_t at = text.find(kTtl); at != std::string_view::npos;
         at = text.find(kTtl, at + kTtl.size())) {
        const std::size_t equals = text.rfind('=', at == 0 ? 0 : at - 1);
        if (equals == std::string_view::npos || equals >= at) continue;
        long long value = 0;
        for (std::size_t i = equals + 1; i < at && text[i] >= '0' && text[i] <= '9'; ++i)
            value = std::min(value * 10 + (text[i] - '0'), 1LL << 40);
        replies.sumMs += value;
        ++replies.count;
    }
}

int PingUrl(const std::wstring& host, int limit) {
    const int count = limit > 0 ? 2 * limit : 4;
    const auto command = platform::PingCommandFor(host, count);
    if (!command) return -2;
    platform::ProcessStartError error;
    auto process = platform::Process::Start(command->options, &error);
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
        AddReplies(std::string_view(pending).substr(0, lineEnd + 1), command->replies, replies);
        pending.erase(0, lineEnd + 1);
    }
    AddReplies(pending, command->replies, replies);
    process->Kill();
    process->Wait(5000);
    return replies.count > 0 ? static_cast<int>(replies.sumMs / replies.count) : -3;
}

ProxyConfig ReadProxyConfig() { return platform::UserProxySettings(); }

int ProxyConfigLevel(const ProxyConfig& config) {
    CVD_LOG << " Get proxy: " << config.queryResult << ", " << config.queryError;
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
