// POSIX implementation: volumes come from /proc/self/mountinfo, the USB test from sysfs, free
// space from statvfs.
#include "platform/Disks.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>

#include "MountInfo.h"
#include "PosixSupport.h"
#include "platform/Text.h"

namespace platform {
namespace posix {
namespace {

// The kernel escapes space, tab, newline and backslash as \ooo (octal).
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool ParseDevice(std::string_view text, unsigned& major, unsigned& minor) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size()) return false;
    const auto number = [](std::string_view digits, unsigned& value) {
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        value = static_cast<unsigned>(std::strtoul(std::string(digits).c_str(), nullptr, 10));
        return true;
    };
    return number(text.substr(0, colon), major) && number(text.substr(colon + 1), minor);
}

bool ParseLine(std::string_view line, MountEntry& entry) {
    const std::vector<std::string_view> fields = SplitView(line, ' ', false);
    // id, parent, maj:min, root, mount point, options, optional fields..., "-", type, source, ...
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (separator + 1 >= fields.size()) return false;  // no "-" or no file-system type
    if (!ParseDevice(fields[2], entry.major, entry.minor)) return false;
    entry.root = Unescape(fields[3]);
    entry.mountPoint = NormalisePath(Unescape(fields[4]), "/");
    entry.options = std::string(fields[5]);
    entry.fsType = Unescape(fields[separator + 1]);
    entry.source = separator + 2 < fields.size() ? Unescape(fields[separator + 2]) : std::string();
    return !entry.mountPoint.empty() && fields[4].front() == '/';
}

bool HasOption(const std::string& options, std::string_view option) {
    std::size_t start = 0;
    while (start <= options.size()) {
        std::size_t end = options.find(',', start);
        if (end == std::string::npos) end = options.size();
        if (std::string_view(options).substr(start, end - start) == option) return true;
        start = end + 1;
    }
    return false;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// The sysfs folder of the block device behind a mount, resolved to its place in the device tree
// (".../usb2/2-1/2-1:1.0/host6/.../block/sdb/sdb1" for a USB stick).
std::string DeviceSysfsPath(const MountEntry& entry) {
    if (entry.major != 0) {
        std::string path = RealPath("/sys/dev/block/" + std::to_string(entry.major) + ":" +
                                    std::to_string(entry.minor));
        if (!path.empty()) return path;
    }
    // btrfs and friends report anonymous device numbers; go through the device node instead.
    const std::string node = RealPath(entry.source);
    const std::size_t slash = node.find_last_of('/');
    if (node.rfind("/dev/", 0) != 0 || slash == std::string::npos) return {};
    return RealPath("/sys/class/block/" + node.substr(slash + 1));
}

bool IsUsbMount(const MountEntry& entry) {
    return DeviceSysfsPath(entry).find("/usb") != std::string::npos;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folders of CVD_VOLUMES, normalised; nothing when the variable is not set.
std::optional<std::vector<std::string>> VolumesOfTestRun() {
    const auto list = EnvVar("CVD_VOLUMES");
    if (!list) return std::nullopt;
    std::vector<std::string> folders;
    for (std::string_view folder : SplitView(*list, ':', false))
        folders.push_back(NormalisePath(folder, posix::CurrentFolder()));
    return folders;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        MountEntry entry;
        if (ParseLine(text.substr(start, end - start), entry)) entries.push_back(std::move(entry));
        start = end + 1;
    }
    return entries;
}

bool IsBlockDeviceMount(const MountEntry& entry) {
    // FUSE file systems are user programs, except fuseblk (ntfs-3g, exfat-fuse on a real disk).
    const bool fuse = entry.fsType.rfind("fuse", 0) == 0 && entry.fsType != "fuseblk";
    return entry.source.rfind("/dev/", 0) == 0 && !fuse;
}

bool IsFixedMount(const MountEntry& entry) {
    constexpr unsigned kLoopMajor = 7;
    const bool loop = entry.major == kLoopMajor || entry.source.rfind("/dev/loop", 0) == 0;
    // Block devices in memory: their content is gone at reboot.
    const bool memory =
        entry.source.rfind("/dev/zram", 0) == 0 || entry.source.rfind("/dev/ram", 0) == 0;
    // Read-only and noexec mounts can hold neither a download nor a program that runs.
    return IsBlockDeviceMount(entry) && !loop && !memory && !HasOption(entry.options, "ro") &&
           !HasOption(entry.options, "noexec");
}

std::string NormalisePath(std::string_view path, std::string_view cwd) {
    std::string joined = (!path.empty() && path.front() == '/')
                             ? std::string(path)
                             : std::string(cwd) + "/" + std::string(path);
    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (std::string_view part : parts) (out += '/') += part;
    return out.empty() ? "/" : out;
}

std::string DriveRootAmong(std::string_view path, const std::vector<std::string>& mountPoints,
                           std::string_view cwd) {
    const std::string normal = NormalisePath(path, cwd);
    std::string best = "/";
    for (const std::string& point : mountPoints) {
        const std::string mount = NormalisePath(point, "/");
        const bool holds =
            mount == "/" || normal == mount ||
            (normal.size() > mount.size() && normal.compare(0, mount.size(), mount) == 0 &&
             normal[mount.size()] == '/');
        if (holds && mount.size() > best.size()) best = mount;
    }
    return WithSlash(best);
}

std::vector<MountEntry> ReadOwnMounts() {
    auto text = ReadWholeFile("/proc/self/mountinfo");
    return text ? ParseMountInfo(*text) : std::vector<MountEntry>();
}

}  // namespace posix

std::vector<Volume> ListVolumes() {
    if (const auto folders = posix::VolumesOfTestRun()) {
        std::vector<Volume> volumes;
        for (const std::string& folder : *folders)
            if (posix::IsFolder(folder))
                volumes.push_back(Volume{Utf8ToWide(posix::WithSlash(folder)),
                                         VolumeAllowsPrograms(Utf8ToWide(folder)), false});
        return volumes;
    }
    const std::vector<posix::MountEntry> mounts = posix::ReadOwnMounts();
    std::vector<Volume> volumes;
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const posix::MountEntry& entry = mounts[i];
        if (!posix::IsBlockDeviceMount(entry)) continue;
        // A later mount on the same point hides this one.
        bool hidden = false;
        for (std::size_t j = i + 1; j < mounts.size() && !hidden; ++j)
            hidden = mounts[j].mountPoint == entry.mountPoint;
        // Files bind-mounted into containers (/etc/hosts, ...) are no place for folders.
        if (hidden || !posix::IsFolder(entry.mountPoint)) continue;
        Volume volume;
        volume.root = Utf8ToWide(posix::WithSlash(entry.mountPoint));
        volume.fixed = posix::IsFixedMount(entry);
        volume.usb = posix::IsUsbMount(entry);
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

namespace {

// statvfs of the nearest existing folder of `path` (the download folder is created later).
std::optional<struct statvfs> StatNearestFolder(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    std::string current = posix::NormalisePath(WideToUtf8(path), posix::CurrentFolder());
    for (;;) {
        struct statvfs info {};
        if (::statvfs(current.c_str(), &info) == 0) return info;
        if ((errno != ENOENT && errno != ENOTDIR) || current == "/") return std::nullopt;
        current = posix::ParentFolder(current);
    }
}

std::uint64_t BlockUnit(const struct statvfs& info) {
    return info.f_frsize ? info.f_frsize : info.f_bsize;
}

}  // namespace

std::optional<std::uint64_t> FreeBytes(const std::wstring& path) {
    const auto info = StatNearestFolder(path);
    if (!info) return std::nullopt;
    return static_cast<std::uint64_t>(info->f_bavail) * BlockUnit(*info);
}

std::optional<std::uint64_t> VolumeBytes(const std::wstring& path) {
    const auto info = StatNearestFolder(path);
    if (!info) return std::nullopt;
    return static_cast<std::uint64_t>(info->f_blocks) * BlockUnit(*info);
}

bool VolumeAllowsPrograms(const std::wstring& path) {
    const auto info = StatNearestFolder(path);
    return info && (info->f_flag & ST_NOEXEC) == 0;
}

std::wstring DriveRoot(const std::wstring& path) {
    std::vector<std::string> points;
    if (const auto folders = posix::VolumesOfTestRun())
        points = *folders;
    else
        for (const posix::MountEntry& entry : posix::ReadOwnMounts())
            points.push_back(entry.mountPoint);
    return Utf8ToWide(posix::DriveRootAmong(WideToUtf8(path), points, posix::CurrentFolder()));
}

}  // namespace platform
