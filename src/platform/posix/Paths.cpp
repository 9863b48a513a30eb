// POSIX implementation: folders come from the environment (HOME, TMPDIR, XDG_*), read at each call.
#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "PosixSupport.h"
#include "PrivateFolder.h"
#include "platform/Text.h"

namespace platform {
namespace {

using posix::EnvVar;
using posix::WithSlash;

std::wstring Wide(const std::string& path) { return Utf8ToWide(path); }

// An XDG base folder: the variable when it holds an absolute path (the XDG rules say relative
// values are to be ignored), else `fallback` under the home folder.
std::string XdgFolder(const char* variable, const char* fallback) {
    if (auto value = EnvVar(variable); value && value->front() == '/') return WithSlash(*value);
    return WithSlash(posix::HomeFolder() + "/" + fallback);
}

// The XDG_DESKTOP_DIR entry of user-dirs.dirs ("$HOME/..." or an absolute path, quoted).
std::optional<std::string> DesktopFromUserDirs() {
    auto text = posix::ReadWholeFile(XdgFolder("XDG_CONFIG_HOME", ".config") + "user-dirs.dirs",
                                     1024 * 1024);
    if (!text) return std::nullopt;
    const std::string key = "XDG_DESKTOP_DIR=";
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        std::string line = text->substr(start, end - start);
        start = end + 1;
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, key.size(), key) != 0) continue;
        std::string value = line.substr(first + key.size());
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = posix::HomeFolder() + value.substr(5);
        if (!value.empty() && value.front() == '/') return value;
    }
    return std::nullopt;
}

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

}  // namespace

std::wstring ModulePath() {
    std::vector<char> buffer(1024);
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return Wide(std::string(buffer.data(), static_cast<std::size_t>(length)));
        if (buffer.size() >= 1024 * 1024) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring HomeFolder() { return Wide(WithSlash(posix::HomeFolder())); }

std::wstring TempFolder() {
    if (auto value = EnvVar("TMPDIR")) return Wide(WithSlash(*value));
    return L"/tmp/";
}

std::wstring LocalAppDataFolder() { return Wide(XdgFolder("XDG_DATA_HOME", ".local/share")); }

std::wstring CacheFolder() { return Wide(XdgFolder("XDG_CACHE_HOME", ".cache")); }

std::wstring DesktopFolder() {
    if (auto value = EnvVar("XDG_DESKTOP_DIR")) return Wide(WithSlash(*value));
    if (auto value = DesktopFromUserDirs()) return Wide(WithSlash(*value));
    return Wide(WithSlash(posix::HomeFolder() + "/Desktop"));
}

std::wstring ProgramFilesFolder() {
    // Test runs and the demo name their own, so they never install into the machine's /opt.
    if (auto value = EnvVar("CVD_PROGRAM_FILES")) return Wide(WithSlash(*value));
    if (Writable("/opt")) return L"/opt/";
    return Wide(WithSlash(posix::HomeFolder() + "/.local/opt"));
}

namespace {

// The lock-folder candidates in the order every process of the user walks them. TMPDIR is
// deliberately ignored: two processes of the user may name different ones.
std::vector<std::string> RuntimeFolderCandidates() {
    constexpr int kNumberedCandidates = 7;
    std::vector<std::string> candidates;
    if (auto value = EnvVar("XDG_RUNTIME_DIR"); value && value->front() == '/')
        candidates.push_back(WithSlash(*value) + "cvdownloader");
    const std::string shared = "/tmp/cvdownloader-" + std::to_string(::getuid());
    candidates.push_back(shared);
    for (int i = 1; i <= kNumberedCandidates; ++i)
        candidates.push_back(shared + "-" + std::to_string(i));
    return candidates;
}

}  // namespace

std::wstring RuntimeFolderPath() { return Wide(WithSlash(RuntimeFolderCandidates().front())); }

RuntimeFolderChoice ChooseRuntimeFolder() {
    if (auto value = EnvVar("XDG_RUNTIME_DIR"); value && value->front() == '/')
        posix::MakeFolders(*value, 0700);
    const std::string shared = "/tmp/cvdownloader-" + std::to_string(::getuid());
    const posix::PrivateFolderChoice chosen =
        posix::ChoosePrivateFolder(RuntimeFolderCandidates(), shared + "-XXXXXX");
    RuntimeFolderChoice choice;
    choice.folder = Wide(chosen.folder);
    choice.fresh = chosen.fresh;
    for (const auto& [folder, refusal] : chosen.refused)
        choice.refused.push_back(Wide(WithSlash(folder) + ": " + posix::RefusalText(refusal)));
    return choice;
}

std::wstring RuntimeFolder() { return ChooseRuntimeFolder().folder; }

std::wstring MachineStateFolder() {
    if (auto value = EnvVar("CVD_MACHINE_STATE_DIR")) return Wide(WithSlash(*value));
    const std::string system = "/var/lib/cvdownloader/";
    struct stat info {};
    const bool exists = ::stat(system.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (exists ? Writable(system) : Writable("/var/lib")) return Wide(system);
    return Wide(XdgFolder("XDG_STATE_HOME", ".local/state") + "cvdownloader/");
}

bool IsOwnWritableFolder(const std::wstring& path) {
    // Without a trailing '/', which would make lstat follow a link.
    std::string folder = WideToUtf8(path);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    const bool ownedByUsOrRoot = info.st_uid == ::geteuid() || info.st_uid == 0;
    const bool everybodyWrites = (info.st_mode & S_IWOTH) != 0;
    return ownedByUsOrRoot && !everybodyWrites && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace platform
