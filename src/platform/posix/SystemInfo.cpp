// POSIX implementation: machine facts from /etc, /proc, /sys and uname.
#include "platform/SystemInfo.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <thread>
#include <vector>

#include "MountInfo.h"
#include "PosixSupport.h"
#include "SystemInfoText.h"

namespace platform {
namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// An os-release value: shell-style, optionally in single or double quotes; inside double
// quotes a backslash escapes $ " \ and `.
std::string Unquote(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return std::string(value.substr(1, value.size() - 2));
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() &&
            std::string_view("$\"\\`").find(value[i + 1]) != std::string_view::npos)
            ++i;
        out += value[i];
    }
    return out;
}

std::string ReadTrimmed(const std::string& path) {
    auto text = posix::ReadWholeFile(path, 4096);
    return text ? std::string(Trim(*text)) : std::string();
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        start = line.find_first_not_of(" \t", start);
        if (start == std::string_view::npos) break;
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        start = end;
    }
    return fields;
}

bool IsMacAddress(const std::string& text) {
    if (text.size() != 17) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool colon = i % 3 == 2;
        if (colon ? text[i] != ':' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return text != "00:00:00:00:00:00";
}

}  // namespace

posix::OsRelease posix::ParseOsRelease(std::string_view text) {
    std::string pretty, name, version;
    for (std::string_view line : posix::SplitView(text, '\n', true)) {
        line = Trim(line);
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string value = Unquote(line.substr(equals + 1));
        if (key == "PRETTY_NAME")
            pretty = value;
        else if (key == "NAME")
            name = value;
        else if (key == "VERSION_ID")
            version = value;
    }
    posix::OsRelease release;
    release.name = !pretty.empty() ? pretty : !name.empty() ? name : "Linux";
    release.version = version;
    return release;
}

OsVersion ReadOsVersion() {
    OsVersion version;
    version.name = posix::ParseOsRelease({}).name;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (auto text = posix::ReadWholeFile(path, 64 * 1024)) {
            version.name = posix::ParseOsRelease(*text).name;
            break;
        }
    }
    return version;
}

bool Is64BitSystem() {
    if (sizeof(void*) == 8) return true;  // a 64-bit process needs a 64-bit kernel
    utsname info{};
    if (::uname(&info) != 0) return false;
    const std::string_view machine = info.machine;
    for (std::string_view known : {"x86_64", "aarch64", "arm64", "ppc64", "ppc64le", "s390x",
                                   "riscv64", "mips64", "sparc64", "loongarch64", "alpha", "ia64"})
        if (machine == known) return true;
    return false;
}

unsigned ProcessorCount() { return std::max(1u, std::thread::hardware_concurrency()); }

std::string MachineId() {
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        std::string id = ReadTrimmed(path);
        const bool valid = id.size() == 32 && std::all_of(id.begin(), id.end(), [](char c) {
                               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                           });
        if (valid) {
            for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return id;
        }
    }
    return {};
}

std::string SystemVolumeId() {
    const std::vector<posix::MountEntry> mounts = posix::ReadOwnMounts();
    // The last mount on "/" is the one this process sees.
    auto root = std::find_if(mounts.rbegin(), mounts.rend(), [](const posix::MountEntry& entry) {
        return entry.mountPoint == "/";
    });
    if (root == mounts.rend()) return {};
    const dev_t device = makedev(root->major, root->minor);
    char resolved[PATH_MAX];
    const std::string source = ::realpath(root->source.c_str(), resolved) ? resolved : "";

    const std::string folder = "/dev/disk/by-uuid/";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return {};
    std::string uuid;
    while (dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        const std::string link = folder + name;
        const bool sameDevice = ::stat(link.c_str(), &info) == 0 && S_ISBLK(info.st_mode) &&
                                root->major != 0 && info.st_rdev == device;
        // btrfs reports an anonymous device number; compare device nodes instead.
        const bool sameNode =
            !source.empty() && ::realpath(link.c_str(), resolved) && source == resolved;
        if (sameDevice || sameNode) {
            uuid = name;
            break;
        }
    }
    ::closedir(dir);
    return uuid;
}

std::string posix::ParseDefaultRouteInterface(std::string_view procNetRoute) {
    constexpr unsigned long kRouteUp = 0x1;
    std::string best;
    unsigned long bestMetric = 0;
    for (std::string_view line : posix::SplitView(procNetRoute, '\n', true)) {
        // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT (hex fields)
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() < 8 || fields[1] != "00000000" || fields[7] != "00000000") continue;
        const unsigned long flags = std::strtoul(std::string(fields[3]).c_str(), nullptr, 16);
        const unsigned long metric = std::strtoul(std::string(fields[6]).c_str(), nullptr, 10);
        if (!(flags & kRouteUp)) continue;
        if (best.empty() || metric < bestMetric) {
            best = std::string(fields[0]);
            bestMetric = metric;
        }
    }
    return best;
}

std::string DefaultRouteMac() {
    auto routes = posix::ReadWholeFile("/proc/net/route", 1024 * 1024);
    if (!routes) return {};
    const std::string name = posix::ParseDefaultRouteInterface(*routes);
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
    std::string mac = ReadTrimmed("/sys/class/net/" + name + "/address");
    for (char& c : mac) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return IsMacAddress(mac) ? mac : std::string();
}

std::string ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace platform
