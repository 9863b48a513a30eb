// The progress record the driver publishes and the facade reads; copied whole under a lock.
#pragma once

#include <cstdint>
#include <string>

struct DownloadProgress {
    std::int32_t RequestFailures = 0;
    std::uint32_t Tick = 0;
    std::int64_t Downloaded = 0;
    std::int64_t DownloadTime = 0;
    std::int64_t IntervalRate = 0;
    std::string AverageSpeedText = "0.0B/S";
    double Percent = 0.0;
    // The number of ranges RequestFailures was summed over: the failure budget must read both
    // from the same moment, since the ranges can be replaced during a run.
    std::int32_t Ranges = 0;
};

// Percent with two decimals, truncated: floor(downloaded / total * 10000) / 100.
double ProgressPercent(std::int64_t downloaded, std::int64_t total);
