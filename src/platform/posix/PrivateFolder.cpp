// POSIX implementation: private folders checked through a descriptor opened without following a
// link, so what is checked is what was opened.
#include "PrivateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "PosixSupport.h"

namespace platform::posix {
namespace {

FolderRefusal CheckParent(const std::string& parent) {
    struct stat info {};
    if (::stat(parent.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return FolderRefusal::Unusable;
    return KeepsEntriesFromOthers(info) ? FolderRefusal::None : FolderRefusal::UnsafeParent;
}

// The fresh folders of this process, by template; never removed, like the lock files in them.
std::string FreshFolder(const std::string& freshTemplate) {
    static std::mutex mutex;
    static auto* made = new std::map<std::string, std::string>;
    std::lock_guard<std::mutex> lock(mutex);
    std::string& folder = (*made)[freshTemplate];
    if (!folder.empty() && MakePrivateFolder(folder) == FolderRefusal::None) return folder;
    std::string name = freshTemplate;
    folder = ::mkdtemp(name.data()) ? name : std::string();
    return folder;
}

}  // namespace

const char* RefusalText(FolderRefusal refusal) {
    switch (refusal) {
        case FolderRefusal::None:
            return "private";
        case FolderRefusal::NotAFolder:
            return "not a folder";
        case FolderRefusal::OtherOwner:
            return "owned by another user";
        case FolderRefusal::OpenToOthers:
            return "open to other users";
        case FolderRefusal::UnsafeParent:
            return "in a folder other users can change";
        case FolderRefusal::Unusable:
            break;
    }
    return "cannot be used";
}

FolderRefusal MakePrivateFolder(const std::string& folder) {
    if (const FolderRefusal parent = CheckParent(ParentFolder(folder));
        parent != FolderRefusal::None)
        return parent;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return FolderRefusal::Unusable;
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.Valid())
        return errno == ELOOP || errno == ENOTDIR ? FolderRefusal::NotAFolder
                                                  : FolderRefusal::Unusable;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return FolderRefusal::Unusable;
    if (info.st_uid != ::geteuid()) return FolderRefusal::OtherOwner;
    if ((info.st_mode & 077) != 0) return FolderRefusal::OpenToOthers;
    // Only the umask can have taken owner bits from a folder nobody else can reach.
    if ((info.st_mode & 0700) != 0700 && ::fchmod(fd.Get(), 0700) != 0)
        return FolderRefusal::Unusable;
    return FolderRefusal::None;
}

PrivateFolderChoice ChoosePrivateFolder(const std::vector<std::string>& candidates,
                                        const std::string& freshTemplate) {
    PrivateFolderChoice choice;
    for (const std::string& candidate : candidates) {
        const FolderRefusal refusal = MakePrivateFolder(candidate);
        if (refusal == FolderRefusal::None) {
            choice.folder = WithSlash(candidate);
            return choice;
        }
        choice.refused.emplace_back(candidate, refusal);
    }
    choice.fresh = true;
    choice.folder = WithSlash(FreshFolder(freshTemplate));
    return choice;
}

}  // namespace platform::posix
