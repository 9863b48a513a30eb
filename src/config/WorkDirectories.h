// Names and folders derived from the product's download address: the rules behind the work
// directory, the log directory and the package file name. Pure functions, so each rule can be
// tested on its own; CConfigure combines them with the machine's folders.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Disks.h"

namespace workdirs {

// After the last '/' up to the first '.' after it; `softwareName` when there is no '/' or no '.',
// or when that text is no safe file-name part (FuntionImpl::IsSafeFileNamePart).
std::wstring ProductFolderName(const std::wstring& downloadUrl, const std::wstring& softwareName);
// After the last '/', cut before its last '.'.
std::wstring UrlFileStem(const std::wstring& downloadUrl);
// Ends in ".exe" (exact case), or is shorter than four characters.
bool IsExecutableDownload(const std::wstring& downloadUrl);
// stem + "_" + version + ".exe" (or ".apk" when not an executable download).
std::wstring PackageFileName(const std::wstring& downloadUrl, const std::wstring& version);
// stem + "_" + the 17-digit local time stamp, with the last four characters of the whole path
// dropped, + ".log": the kept stamp has 13 digits.
std::wstring LogFilePath(const std::wstring& logDirectory, const std::wstring& downloadUrl,
                         const std::wstring& stamp17);
// "%.4d%.2d%.2d%.2d%.2d%.2d%.3d" of the local time now.
std::wstring LocalTimeStamp17();

using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::wstring& root)>;

// Replaces the drive root of `path` (DriveRoot) by the root of the fixed, non-USB volume with
// the most free space; ties keep the earlier volume; no qualifying volume keeps the path.
std::wstring SelectDownloadDrive(const std::wstring& path);
std::wstring SelectDownloadDrive(const std::wstring& path, const std::wstring& pathRoot,
                                 const std::vector<platform::Volume>& volumes,
                                 const FreeSpaceQuery& freeBytes);

// Where the work directory looks for disks: the machine's by default; tests give their own.
struct VolumeSource {
    std::function<std::vector<platform::Volume>()> volumes;
    FreeSpaceQuery freeBytes;
    std::function<std::wstring(const std::wstring& path)> driveRoot;  // as platform::DriveRoot
};
VolumeSource SystemVolumes();

// The user's folders the work directory may fall back to; both end with '/'.
struct UserFolders {
    std::wstring home;
    std::wstring cache;  // $XDG_CACHE_HOME
};

// The fixed, non-USB volume with the most free space (ties keep the earlier one); nothing when
// none qualifies or none has any space free.
std::optional<platform::Volume> RoomiestVolume(const VolumeSource& source);

// The places for the download folder of `productFolder`, best first:
// 1. "CVDownloader/<product>" at the top of the roomiest volume;
// 2. when the home folder lies on that volume, the same under the cache folder if it lies there
//    too, else under the home folder;
// 3. "CVDownloader/<product>" under the cache folder.
// None of them is a temporary folder: a package there would be lost at reboot, and on a
// RAM-backed one would fill the memory.
std::vector<std::wstring> WorkDirectoryCandidates(const std::wstring& productFolder,
                                                  const VolumeSource& source,
                                                  const UserFolders& user);

// The first candidate that exists, or can be created, as a folder this user owns (or the
// administrator does) and may write in, that no other user can change the path to
// (platform::IsPathSafeFromOthers) and whose volume lets programs run, ending with the system's separator; the
// last candidate when none qualifies.
std::wstring ChooseWorkDirectory(const std::vector<std::wstring>& candidates);

}  // namespace workdirs
