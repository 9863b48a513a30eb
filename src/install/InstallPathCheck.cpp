#include "install/InstallPathCheck.h"

#include <filesystem>
#include <system_error>

#include "config/CConfigure.h"
#include "config/WorkDirectories.h"
#include "install/EnoughFreeSpace.h"
#include "install/InstallEvents.h"
#include "install/PathText.h"
#include "install/PendingRename.h"
#include "sys/Log.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"

namespace install {
namespace {

void Refuse(IInstallPage& window, BoxKind box) {
    CConfigure::Instance().SetInstallState(2);
    window.ShowMessageBox(static_cast<std::int32_t>(box), true);
}

void ReportInstallDriveShort(std::uint64_t free) {
    ReportFlowCode("DL008");
    Ga4("Other", "NoEnoughSpace", "install_" + std::to_string(free));
    Funnel("Download", "NoEnoughSpace", {{"InstallNoEnoughSpace", FreeSpaceBucket(free)}});
}

// The space part of the check; true when there is room (possibly after moving the path).
bool CheckSpace(IInstallPage& window, const DiskFacts& disks) {
    CConfigure& config = CConfigure::Instance();
    const std::int64_t needed = RequiredSpace();
    const std::wstring work = config.GetWorkDirectory();
    std::uint64_t free = 0;
    int result = EnoughFreeSpace(true, needed, free, window.GetInstallPath(), work, disks);
    if (result < 0) {
        config.SetSpaceNeeded(needed);
        config.SetSpaceFree(static_cast<std::int64_t>(free));
    }
    if (result == kWorkDriveShort) return Refuse(window, BoxKind::NotEnoughSpace), false;
    if (result != kInstallDriveShort) return true;
    MoveInstallPathToFreeDrive(window, disks);
    result = EnoughFreeSpace(true, needed, free, window.GetInstallPath(), work, disks);
    if (result == kEnoughSpace) return true;
    if (result == kInstallDriveShort) ReportInstallDriveShort(free);
    Refuse(window, BoxKind::NotEnoughSpace);
    return false;
}

}  // namespace

std::int64_t RequiredSpace() {
    CConfigure& config = CConfigure::Instance();
    std::int64_t total = config.GetFilesize();
    SubProgramInfo info;
    for (std::size_t i = 0; config.GetSubProgram(i, info); ++i)
        total += FuntionImpl::WToI64(info.file_size);
    return total;
}

std::wstring PathWithoutPendingRename(const std::wstring& path) {
    std::wstring candidate;
    for (int n = 1;;) {
        candidate = path + L" " + std::to_wstring(n);
        ++n;
        if (n > 100) {
            CVD_LOG << "FindRestartFlagByRegedit  too many times!!!";
            return candidate;
        }
        if (!PathHasPendingRename(candidate)) return candidate;
    }
}

bool IsCorrectInstallPath(IInstallPage& window, const DiskFacts& disks) {
    CVD_LOG << "check install path correct";
    CConfigure& config = CConfigure::Instance();
    if (config.GetLoadSource() == 1 && config.GetSubProgramInfoDone() && !CheckSpace(window, disks))
        return false;

    const std::wstring path = window.GetInstallPath();
    std::error_code ignored;
    std::filesystem::create_directories(FsPath(path), ignored);
    if (!std::filesystem::is_directory(FsPath(path), ignored)) {
        config.SetInstallState(2);
        ReportFlowCode("DL009");
        CVD_LOG << "create install path fail";
        window.ShowMessageBox(static_cast<std::int32_t>(BoxKind::InvalidPath), true);
        return false;
    }
    if (PathHasPendingRename(path)) {
        Ga4("Other", "ProcessNeedRestartSign", "");
        Funnel("Download", "ProcessNeedRestartSign");
        window.SetInstallPath(PathWithoutPendingRename(path));
    }
    config.SetCheckedInstallPath(window.GetInstallPath());
    return true;
}

int MoveInstallPathToFreeDrive(IInstallPage& window, const DiskFacts& disks) {
    const std::wstring text = window.GetInstallPath();
    // Files bind-mounted from a disk are mounts too; only folders can hold a product.
    std::vector<platform::Volume> folders;
    for (const platform::Volume& volume : disks.volumes()) {
        std::error_code error;
        if (std::filesystem::is_directory(FsPath(volume.root), error)) folders.push_back(volume);
    }
    window.SetInstallPath(
        workdirs::SelectDownloadDrive(text, disks.driveRoot(text), folders, disks.freeBytes));
    return 1;
}

}  // namespace install
