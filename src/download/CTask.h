// One byte range of a package download. A range is complete exactly when DownloadedPos equals
// EndPos; the last range's EndPos is the file size (one past its last byte).
//
// Threading: the atomics are written by the range's worker and read by the driver for progress
// and the task file; SegmentCdn is written by the worker and read only after workers stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

inline constexpr std::int64_t kSegmentSize = 4194304;

enum TaskStatusValue : std::int32_t {
    TaskNew = 0,
    TaskFinished = 1,
    TaskFailed = 2,
    TaskAtWorker = 3,
};

struct CTask {
    std::atomic<std::int32_t> TaskStatus{TaskNew};
    std::atomic<std::int32_t> TaskId{0};
    std::string RemotePath;
    std::string LocalPath;
    std::string ProbeCdn;
    std::string SegmentCdn;
    std::int64_t StartPos = 0;
    std::int64_t EndPos = 0;
    std::atomic<std::int64_t> DownloadedPos{0};
    std::int64_t ContentLength = 0;
    std::atomic<std::int32_t> RequestTimes{0};
    // The one range of a single-stream download (a server without ranges): the whole file in one
    // answer, a 200 included, and resumed with a range only when the server honours it.
    bool WholeFile = false;
    // Set by the worker when a range request of a ranged download was answered with the whole
    // file: the server ignores ranges.
    std::atomic<bool> RangeIgnored{false};
    // The If-Range value of the range requests (the file's version when the ranges were made),
    // and what the worker sets when an answer showed another version.
    std::string IfRange;
    std::atomic<bool> FileChanged{false};
};
