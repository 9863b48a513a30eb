#include "telemetry/ReportIdentity.h"

#include <openssl/evp.h>
#include <uuid/uuid.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/SystemInfo.h"
#include "sys/OsFacts.h"

namespace report {

std::string MachineUidOf(const std::string& machineId) {
    if (machineId.empty()) return std::string();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(machineId.data(), machineId.size(), digest, &length, EVP_md5(), nullptr))
        return std::string();
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

std::string MachineUid() { return MachineUidOf(platform::MachineId()); }

std::string NewSessionId() {
    uuid_t id;
    uuid_generate(id);
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
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    local.tm_isdst = 0;
    const std::int64_t millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return static_cast<std::int64_t>(std::mktime(&local)) * 1000 + millis;
}

}  // namespace report
