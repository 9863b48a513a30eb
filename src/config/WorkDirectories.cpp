#include "config/WorkDirectories.h"

#include <cwchar>
#include <filesystem>

#include "config/CConfigure.h"
#include "platform/DebugOutput.h"
#include "platform/Files.h"
#include "platform/FolderSafety.h"
#include "platform/FsPath.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "sys/FileNamePart.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace workdirs {
namespace {

constexpr wchar_t kRootFolder[] = L"CVDownloader";

std::wstring LastSegment(const std::wstring& url) {
    const std::size_t slash = url.rfind(L'/');
    return slash == std::wstring::npos ? url : url.substr(slash + 1);
}

// `base` / CVDownloader / the given levels, with this system's separators.
std::wstring UnderRootFolder(const std::wstring& base, std::initializer_list<std::wstring> levels) {
    std::filesystem::path path = platform::FsPath(base) / platform::FsPath(kRootFolder);
    for (const std::wstring& level : levels) path /= platform::FsPath(level);
    return platform::WidePath(path.make_preferred());
}

// Files bind-mounted from a disk (resolv.conf in a container) are mounts too; only folders can
// hold a download.
std::vector<platform::Volume> FolderVolumes() {
    std::vector<platform::Volume> folders;
    for (const platform::Volume& volume : platform::ListVolumes()) {
        std::error_code error;
        if (std::filesystem::is_directory(platform::FsPath(volume.root), error))
            folders.push_back(volume);
    }
    return folders;
}

// Made under a group-writable umask (user private groups) our own two levels would fail the
// rule below; they are ours to tighten. Folders above them stay as their owners made them.
void DropOthersWrite(const std::wstring& folder) {
    std::error_code ignored;
    std::filesystem::permissions(
        platform::FsPath(folder),
        std::filesystem::perms::group_write | std::filesystem::perms::others_write,
        std::filesystem::perm_options::remove | std::filesystem::perm_options::nofollow, ignored);
}

// Whoever may rename anything on the way to the package may swap it after it was checked, and
// the verified package must be able to run from there.
bool IsSafeWorkDirectory(const std::wstring& candidate) {
    const std::wstring top = platform::WidePath(platform::FsPath(candidate).parent_path());
    if (!platform::MakeFolders(candidate) || !platform::IsOwnWritableFolder(top) ||
        !platform::IsOwnWritableFolder(candidate))
        return false;
    DropOthersWrite(top);
    DropOthersWrite(candidate);
    return platform::IsPathSafeFromOthers(candidate) && platform::VolumeAllowsPrograms(candidate);
}

}  // namespace

std::wstring ProductFolderName(const std::wstring& downloadUrl, const std::wstring& softwareName) {
    const std::size_t slash = downloadUrl.rfind(L'/');
    if (slash == std::wstring::npos) return softwareName;
    const std::size_t dot = downloadUrl.find(L'.', slash);
    if (dot == std::wstring::npos) return softwareName;
    const std::wstring name = downloadUrl.substr(slash + 1, dot - slash - 1);
    return FuntionImpl::IsSafeFileNamePart(name) ? name : softwareName;
}

std::wstring UrlFileStem(const std::wstring& downloadUrl) {
    const std::wstring segment = LastSegment(downloadUrl);
    const std::size_t dot = segment.rfind(L'.');
    return dot == std::wstring::npos ? segment : segment.substr(0, dot);
}

bool IsExecutableDownload(const std::wstring& downloadUrl) {
    return downloadUrl.size() < 4 || downloadUrl.ends_with(L".exe");
}

std::wstring PackageFileName(const std::wstring& downloadUrl, const std::wstring& version) {
    return UrlFileStem(downloadUrl) + L"_" + version +
           (IsExecutableDownload(downloadUrl) ? L".exe" : L".apk");
}

std::wstring LogFilePath(const std::wstring& logDirectory, const std::wstring& downloadUrl,
                         const std::wstring& stamp17) {
    std::wstring full = logDirectory + UrlFileStem(downloadUrl) + L"_" + stamp17;
    full.resize(full.size() >= 4 ? full.size() - 4 : 0);
    return full + L".log";
}

std::wstring LocalTimeStamp17() {
    const platform::LocalTime now = platform::LocalTimeNow();
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%.4d%.2d%.2d%.2d%.2d%.2d%.3d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second, now.millisecond);
    return stamp;
}

std::wstring SelectDownloadDrive(const std::wstring& path, const std::wstring& pathRoot,
                                 const std::vector<platform::Volume>& volumes,
                                 const FreeSpaceQuery& freeBytes) {
    if (!path.starts_with(pathRoot)) return path;
    const auto best = RoomiestVolume(VolumeSource{[&] { return volumes; }, freeBytes, {}});
    return (best ? best->root : pathRoot) + path.substr(pathRoot.size());
}

VolumeSource SystemVolumes() {
    return VolumeSource{&FolderVolumes, platform::FreeBytes, platform::DriveRoot};
}

std::optional<platform::Volume> RoomiestVolume(const VolumeSource& source) {
    std::optional<platform::Volume> best;
    std::uint64_t bestFree = 0;
    for (const platform::Volume& volume : source.volumes()) {
        if (!volume.fixed || volume.usb) continue;
        const std::optional<std::uint64_t> available = source.freeBytes(volume.root);
        if (available && *available > bestFree) {
            bestFree = *available;
            best = volume;
        }
    }
    return best;
}

std::vector<std::wstring> WorkDirectoryCandidates(const std::wstring& productFolder,
                                                  const VolumeSource& source,
                                                  const UserFolders& user) {
    std::vector<std::wstring> candidates;
    if (const auto volume = RoomiestVolume(source)) {
        candidates.push_back(UnderRootFolder(volume->root, {productFolder}));
        if (source.driveRoot(user.home) == volume->root) {
            const bool cacheThere = source.driveRoot(user.cache) == volume->root;
            candidates.push_back(UnderRootFolder(cacheThere ? user.cache : user.home, {productFolder}));
        }
    }
    const std::wstring cache = UnderRootFolder(user.cache, {productFolder});
    if (candidates.empty() || candidates.back() != cache) candidates.push_back(cache);
    return candidates;
}

std::wstring ChooseWorkDirectory(const std::vector<std::wstring>& candidates) {
    for (const std::wstring& candidate : candidates)
        if (IsSafeWorkDirectory(candidate)) return platform::WithTrailingSeparator(candidate);
    platform::DebugOutput(L"创建下载文件夹失败");
    return candidates.empty() ? std::wstring()
                              : platform::WithTrailingSeparator(candidates.back());
}

std::wstring SelectDownloadDrive(const std::wstring& path) {
    return SelectDownloadDrive(path, platform::DriveRoot(path), FolderVolumes(),
                               platform::FreeBytes);
}

}  // namespace workdirs

std::wstring CConfigure::GetProductFolderName() const {
    return workdirs::ProductFolderName(GetDownload_url(), GetSoftware_name());
}

std::wstring CConfigure::GetPackageFileName() const {
    return workdirs::PackageFileName(GetDownload_url(), GetSoftware_version());
}

std::wstring CConfigure::GetWorkDirectory() {
    workdirs::VolumeSource source;
    {
        std::lock_guard guard(lock_);
        if (!WorkDirectory_.empty()) return WorkDirectory_;
        source = Volumes_;
    }
    const workdirs::UserFolders user{platform::HomeFolder(), platform::CacheFolder()};
    const std::wstring path = workdirs::ChooseWorkDirectory(
        workdirs::WorkDirectoryCandidates(GetProductFolderName(), source, user));
    {
        std::lock_guard guard(lock_);
        if (!WorkDirectory_.empty()) return WorkDirectory_;  // another thread was first
        WorkDirectory_ = path;
    }
    CVD_LOG << " Work directory: " << FuntionImpl::Utf16ToUtf8(path);
    return path;
}

void CConfigure::SetVolumeSource(workdirs::VolumeSource source) {
    std::lock_guard guard(lock_);
    Volumes_ = std::move(source);
}

std::wstring CConfigure::GetLogDirectory() const {
    const bool executable = workdirs::IsExecutableDownload(GetDownload_url());
    const std::wstring base =
        executable ? platform::LocalAppDataFolder() : platform::DesktopFolder();
    const std::wstring path =
        workdirs::UnderRootFolder(base, {L"logs", GetProductFolderName()});
    if (!platform::MakeFolders(path)) {
        platform::DebugOutput(L"创建文件夹失败");
        platform::DebugOutput(path);
    }
    return platform::WithTrailingSeparator(path);
}

std::wstring CConfigure::GetLogFilePath() {
    // Computed on the main thread at start-up before any other thread exists, hence no lock.
    if (LogFilePath_.empty())
        LogFilePath_ = workdirs::LogFilePath(GetLogDirectory(), GetDownload_url(),
                                             workdirs::LocalTimeStamp17());
    return LogFilePath_;
}
