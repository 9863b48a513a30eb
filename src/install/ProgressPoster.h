// The download facade's progress receiver for the install thread: turns downloaded bytes into
// the window's percentage (0-64, split between the main package and up to two sub-programs)
// and posts it. Runs on the downloading thread and only posts.
#pragma once

#include <cstdint>
#include <memory>

#include "content/MessageTarget.h"
#include "download/CDownLoadImpl.h"

namespace install {

struct ProgressScale {
    float scale = 64;
    float offset = 0;
};

// The share of the bar for sub-program `current` (-1 = the main package) of `count`.
ProgressScale ProgressScaleFor(bool toolkit, std::int32_t current, std::size_t count);

// downloaded / total x scale + offset in single precision, truncated; never negative.
std::int32_t ProgressPercentFor(std::int64_t downloaded, std::int64_t total,
                                const ProgressScale& scale);

class ProgressPoster final : public IDownloadProgress {
public:
    explicit ProgressPoster(std::shared_ptr<IMessageTarget> target) : target_(std::move(target)) {}
    void onDownloadProgress(std::int64_t downloaded, std::int64_t total,
                            std::int32_t reserved) override;

private:
    std::shared_ptr<IMessageTarget> target_;
};

}  // namespace install
