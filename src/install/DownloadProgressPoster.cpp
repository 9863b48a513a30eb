#include "install/DownloadProgressPoster.h"

#include <cstdio>

#include "config/CConfigure.h"
#include "content/MessageTarget.h"
#include "install/InstallWindow.h"
#include "telemetry/SingleUserLog.h"

namespace install {

ProgressSpan ProgressSpanOf(bool isToolkit, std::int32_t subProgram, std::size_t subProgramCount) {
    if (!isToolkit) return {};
    if (subProgram == -1) return {32, 0};
    if (subProgram == 0 && subProgramCount == 1) return {32, 32};
    if (subProgram == 0 && subProgramCount == 2) return {16, 32};
    if (subProgram == 1 && subProgramCount == 2) return {16, 48};
    return {};
}

int ProgressPercentOf(std::int64_t downloaded, std::int64_t total, const ProgressSpan& span) {
    if (total <= 0) return span.offset;
    const float percent = static_cast<float>(downloaded) / static_cast<float>(total) *
                              static_cast<float>(span.scale) +
                          static_cast<float>(span.offset);
    const int value = static_cast<int>(percent);
    return value < 0 ? 0 : value;
}

DownloadProgressPoster::DownloadProgressPoster(std::shared_ptr<IMessageTarget> window)
    : window_(std::move(window)) {}

void DownloadProgressPoster::onDownloadProgress(std::int64_t downloaded, std::int64_t total,
                                                std::int32_t) {
    CConfigure& config = CConfigure::Instance();
    const std::int32_t current = config.GetCurrentSubProgram();
    const ProgressSpan span = ProgressSpanOf(config.IsToolkit, current, config.SubProgramCount());
    const bool mainPackage = !config.IsToolkit || current == -1;
    if (mainPackage && !config.PackageSizeReported) {
        config.PackageSizeReported = true;
        char size[64];
        std::snprintf(size, sizeof size, "%.2fMB", static_cast<double>(total) / 1048576.0);
        CSingleUserLog::Instance().AddUserLog("Other", "PackageSize", size);
    }
    if (window_)
        window_->PostCustomMessage(
            WM_INSTALL_PROGRESS,
            static_cast<std::uintptr_t>(ProgressPercentOf(downloaded, total, span)), 0);
}

}  // namespace install
