#include "content/ContentEvents.h"

#include "download/DownloadEvents.h"
#include "platform/Clock.h"

namespace content {

void ReportErrorCode(const std::string& code) {
    IDownloadEvents& events = DownloadEvents();
    events.ga4("Other", "FlowError", code);
    events.funnel("ErrorReporting", "Error", "MainErrorType", code);
}

std::uint32_t SecondsSince(std::uint32_t startTick) {
    return (platform::TickCount() - startTick) / 1000;
}

void ReportElapsed(const std::string& category, const std::string& action, const std::string& key,
                   std::uint32_t startTick) {
    DownloadEvents().funnelBucket(category, action, key, SecondsSince(startTick), 3, "s");
}

}  // namespace content
