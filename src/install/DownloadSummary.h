// What the attempt reports once every download has ended: speed, time band and total size.
#pragma once

#include <cstdint>
#include <string>

#include "install/InstallAttempt.h"

namespace install {

// "0s" for 0, else the ten-second band holding `seconds`: 5 -> "[1~10s]", 25 and 30 -> "[21~30s]".
std::string DownloadTimeBand(std::int64_t seconds);

// `bytes` per `elapsedMs` as "%.2fMB/s".
std::string DownloadSpeedText(std::int64_t bytes, std::int64_t elapsedMs);

void ReportDownloadSummary(InstallAttempt& attempt);

}  // namespace install
