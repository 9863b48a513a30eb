// Who and when a collector report speaks for: machine uid, session id, OS version, timestamp.
#pragma once

#include <cstdint>
#include <string>

namespace report {

// Lowercase hex MD5 of the machine's identifier text; empty when the machine has none.
std::string MachineUidOf(const std::string& machineId);
std::string MachineUid();

// A new GUID as "%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X"; empty on failure.
std::string NewSessionId();
// The process's session id, created on first use; a failed creation is retried next time.
std::string SessionId();

// The OS name followed by " x64" on a 64-bit machine, else " x32".
std::string ReportOsVersion();

// Local date and time as seconds since 1970 (mktime with daylight saving cleared), in
// milliseconds, plus the current millisecond.
std::int64_t LocalTimestampMs();

}  // namespace report
