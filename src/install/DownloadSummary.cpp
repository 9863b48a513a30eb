#include "install/DownloadSummary.h"

#include <cstdio>

#include "config/CConfigure.h"
#include "install/InstallEvents.h"
#include "platform/Clock.h"
#include "sys/Log.h"

namespace install {

std::string DownloadTimeBand(std::int64_t seconds) {
    if (seconds <= 0) return "0s";
    const std::int64_t upper = (seconds + 9) / 10 * 10;
    return "[" + std::to_string(upper - 9) + "~" + std::to_string(upper) + "s]";
}

namespace {

double MegabytesPerSecond(std::int64_t bytes, std::int64_t elapsedMs) {
    // A download faster than the clock's resolution counts as one millisecond.
    const double ms = elapsedMs > 0 ? static_cast<double>(elapsedMs) : 1.0;
    return static_cast<double>(bytes) / ms * 1000.0 / 1048576.0;
}

}  // namespace

std::string DownloadSpeedText(std::int64_t bytes, std::int64_t elapsedMs) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2fMB/s", MegabytesPerSecond(bytes, elapsedMs));
    return text;
}

void ReportDownloadSummary(InstallAttempt& attempt) {
    CVD_LOG << "all download finish";
    CConfigure::Instance().SetPackageSize(attempt.totalBytes);
    attempt.downloadEndTick = platform::TickCount();
    const std::int64_t elapsed = attempt.downloadEndTick - attempt.downloadTick;
    Ga4("Other", "DownloadSpeed", DownloadSpeedText(attempt.totalBytes, elapsed));
    const std::int64_t seconds = elapsed / 1000;
    const std::string band = DownloadTimeBand(seconds);
    CVD_LOG << " Download Totally Takes about " << band << " And Send To Server";
    Ga4("DownloadTime", "CDN", band);
    Ga4("Other", "DownloadTime", std::to_string(seconds));
    CVD_LOG << " DownloadTime total use " << seconds;
    const auto speed = static_cast<std::int64_t>(MegabytesPerSecond(attempt.totalBytes, elapsed));
    Funnel("Download", "DownFinsh",
           {{"DownloadSpeed", Bucket(speed, 5, "M/s")}, {"DownloadTime", Bucket(seconds, 5, "s")}});
}

}  // namespace install
