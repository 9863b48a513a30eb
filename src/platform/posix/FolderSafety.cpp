// POSIX implementation: stat of each folder from the root down, for the path as written and for
// its realpath.
#include "platform/FolderSafety.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "MountInfo.h"
#include "PosixSupport.h"
#include "platform/Text.h"

namespace platform {
namespace {

// The folder itself may not even be sticky-shared: others could add entries to it.
bool IsSafeFolder(const std::string& folder, bool last) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    return posix::KeepsEntriesFromOthers(info) &&
           (!last || (info.st_mode & (S_IWGRP | S_IWOTH)) == 0);
}

// `path` is absolute and normalised (no "." or "..", no doubled '/').
bool IsSafeChain(const std::string& path) {
    if (!IsSafeFolder("/", path == "/")) return false;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        if (!IsSafeFolder(path.substr(0, slash), false)) return false;
    return path == "/" || IsSafeFolder(path, true);
}

}  // namespace

bool IsPathSafeFromOthers(const std::wstring& folder) {
    const std::string written = posix::NormalisePath(WideToUtf8(folder), posix::CurrentFolder());
    char resolved[PATH_MAX];
    if (!::realpath(written.c_str(), resolved)) return false;
    return IsSafeChain(written) && IsSafeChain(resolved);
}

}  // namespace platform
