#include "install/ProgressPoster.h"

#include <cstdio>

#include "config/CConfigure.h"
#include "install/InstallEvents.h"
#include "install/InstallWindow.h"

namespace install {

ProgressScale ProgressScaleFor(bool toolkit, std::int32_t current, std::size_t count) {
    if (!toolkit) return {};
    if (current == -1) return {32, 0};
    if (current == 0 && count == 1) return {32, 32};
    if (current == 0 && count == 2) return {16, 32};
    if (current == 1 && count == 2) return {16, 48};
    return {};
}

std::int32_t ProgressPercentFor(std::int64_t downloaded, std::int64_t total,
                                const ProgressScale& scale) {
    if (total <= 0) return static_cast<std::int32_t>(scale.offset);
    const float percent =
        static_cast<float>(downloaded) / static_cast<float>(total) * scale.scale + scale.offset;
    return percent < 0 ? 0 : static_cast<std::int32_t>(percent);
}

void ProgressPoster::onDownloadProgress(std::int64_t downloaded, std::int64_t total,
                                        std::int32_t) {
    CConfigure& config = CConfigure::Instance();
    const std::int32_t current = config.GetCurrentSubProgram();
    const ProgressScale scale =
        ProgressScaleFor(config.IsToolkit, current, config.SubProgramCount());
    if ((!config.IsToolkit || current == -1) && !config.PackageSizeReported) {
        config.PackageSizeReported = true;
        char size[64];
        std::snprintf(size, sizeof size, "%.2fMB", static_cast<double>(total) / 1048576.0);
        Ga4("Other", "PackageSize", size);
    }
    if (target_)
        target_->PostCustomMessage(
            WM_INSTALL_PROGRESS,
            static_cast<std::uintptr_t>(ProgressPercentFor(downloaded, total, scale)), 0);
}

}  // namespace install
