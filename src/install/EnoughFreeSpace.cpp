#include "install/EnoughFreeSpace.h"

#include "install/InstallEvents.h"
#include "sys/Log.h"

namespace install {

std::string FreeSpaceBucket(std::uint64_t freeBytes) {
    return Bucket(static_cast<std::int64_t>(freeBytes / 1048576), 100, "MB");
}

namespace {

void ReportWorkDriveShort(std::uint64_t free) {
    ReportFlowCode("DL008");
    Ga4("Other", "NoEnoughSpace", "download_" + std::to_string(free));
    Funnel("Download", "NoEnoughSpace", {{"DownloadNoEnoughSpace", FreeSpaceBucket(free)}});
}

}  // namespace

int EnoughFreeSpace(bool checkWorkDrive, std::int64_t needed, std::uint64_t& freeOut,
                    const std::wstring& installPath, const std::wstring& workDirectory,
                    const DiskFacts& disks) {
    if (needed == 0) return kEnoughSpace;
    const std::uint64_t required = static_cast<std::uint64_t>(needed);
    std::wstring workDrive;
    if (checkWorkDrive) {
        workDrive = disks.driveRoot(workDirectory);
        const auto free = disks.freeBytes(workDrive);
        if (free && *free <= required) {
            freeOut = *free;
            CVD_LOG << " PC space not enough1: " << *free << "<=" << required;
            ReportWorkDriveShort(*free);
            return kWorkDriveShort;
        }
    }
    const std::wstring installDrive = disks.driveRoot(installPath);
    const std::uint64_t factor = installDrive == workDrive ? 3 : 2;
    const auto free = disks.freeBytes(installDrive);
    if (free && *free <= required * factor) {
        freeOut = *free;
        CVD_LOG << " PC space not enough2: " << *free << "<=" << required * factor;
        return kInstallDriveShort;
    }
    return kEnoughSpace;
}

}  // namespace install
