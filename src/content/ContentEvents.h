// The events of server content go through the engine's event sink (the user-log sender in the
// program, a recorder in tests), queued without waiting: reporting never changes a result.
#pragma once

#include <cstdint>
#include <string>

namespace content {

// A failure with DL code `code`: the GA4 event "Other"/"FlowError"/code, then the funnel event
// "ErrorReporting"/"Error" with "MainErrorType" = code.
void ReportErrorCode(const std::string& code);

// A funnel event whose one property is the bucket of the whole seconds since `startTick`.
void ReportElapsed(const std::string& category, const std::string& action, const std::string& key,
                   std::uint32_t startTick);

// Whole seconds since `startTick` (a platform::TickCount value).
std::uint32_t SecondsSince(std::uint32_t startTick);

}  // namespace content
