// The download facade's progress receiver for the install thread: turns bytes into the percent
// of the progress bar and posts it to the window. It runs on the downloading thread, touches
// nothing but the configuration, and holds the window only through its message target, so a
// download that outlives the window posts into nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "download/CDownLoadImpl.h"

class IMessageTarget;

namespace install {

// Share of the bar that one download covers: percent = downloaded / total * scale + offset.
struct ProgressSpan {
    int scale = 64;
    int offset = 0;
    bool operator==(const ProgressSpan&) const = default;
};

// The main package covers 0-64; a toolkit product splits it between its main package (k = -1)
// and one or two sub-programs (k = 0, 1 of n).
ProgressSpan ProgressSpanOf(bool isToolkit, std::int32_t subProgram, std::size_t subProgramCount);
// Percent of the bar, in single precision and truncated; never negative. A download of unknown
// size (total 0 or less) stays at the span's start.
int ProgressPercentOf(std::int64_t downloaded, std::int64_t total, const ProgressSpan& span);

class DownloadProgressPoster : public IDownloadProgress {
public:
    explicit DownloadProgressPoster(std::shared_ptr<IMessageTarget> window);
    void onDownloadProgress(std::int64_t downloaded, std::int64_t total,
                            std::int32_t reserved) override;

private:
    std::shared_ptr<IMessageTarget> window_;
};

}  // namespace install
