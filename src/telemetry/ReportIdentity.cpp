#include "telemetry/ReportIdentity.h"

#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/Crypto.h"
#include "platform/LocalTime.h"
#include "platform/SystemInfo.h"
#include "platform/Uuid.h"
#include "sys/OsFacts.h"

namespace report {

std::string MachineUidOf(const std::string& machineId) {
    if (machineId.empty()) return std::string();
    return platform::DigestHex(platform::DigestKind::Md5, machineId);
}

std::string MachineUid() { return MachineUidOf(platform::MachineId()); }

std::string NewSessionId() {
    const auto uuid = platform::NewUuid();
    if (!uuid) return std::string();
    const platform::Uuid& id = *uuid;
    const auto u16 = [&](int at) { return (id[at] << 8) | id[at + 1]; };
    const unsigned long data1 =
        (static_cast<unsigned long>(id[0]) << 24) | (id[1] << 16) | (id[2] << 8) | id[3];
    char text[40];
    std::snprintf(text, sizeof text, "%08lX%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", data1, u16(4),
                  u16(6), id[8], id[9], id[10], id[11], id[12], id[13], id[14], id[15]);
    return text;
}

std::string SessionId() {
    static std::mutex mutex;
    static std::string session;
    std::lock_guard guard(mutex);
    if (session.empty()) session = NewSessionId();
    return session;
}

std::string ReportOsVersion() {
    float number = 0;
    return FuntionImpl::GetOsVersion(number) + (FuntionImpl::Is64BitSystem() ? " x64" : " x32");
}

std::int64_t LocalTimestampMs() {
    const platform::LocalTime now = platform::LocalTimeNow();
    std::tm local{};
    local.tm_year = now.year - 1900;
    local.tm_mon = now.month - 1;
    local.tm_mday = now.day;
    local.tm_hour = now.hour;
    local.tm_min = now.minute;
    local.tm_sec = now.second;
    local.tm_isdst = 0;
    return static_cast<std::int64_t>(std::mktime(&local)) * 1000 + now.millisecond;
}

}  // namespace report
