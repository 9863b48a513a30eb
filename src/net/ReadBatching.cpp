#include "net/ReadBatching.h"

#include <algorithm>

int ReadBatching::MarkFor(std::int64_t bytesPerSecond, std::int64_t rest) {
    if (bytesPerSecond <= 0 || bytesPerSecond >= kFastLinkBytesPerSecond || rest < kSmallestRest)
        return 1;
    const std::int64_t batch = bytesPerSecond * kBatchTime.count() / 1000;
    return static_cast<int>(std::clamp<std::int64_t>(std::min(batch, rest / 2), 1, kLargestBatch));
}

std::int64_t ReadBatching::Rate(std::int64_t pos, Clock::time_point now) {
    lastChunk_ = now;
    if (firstChunk_ == Clock::time_point{}) {
        firstChunk_ = now;
        firstPos_ = pos;
        return 0;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(now - firstChunk_).count();
    return elapsed > 0 ? (pos - firstPos_) * 1000000 / elapsed : 0;
}
