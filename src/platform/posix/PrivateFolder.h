// POSIX implementation: folders only this user can change, for lock files and sockets whose
// names every process of the user must agree on. Private to this folder and the platform tests.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

enum class FolderRefusal {
    None,
    NotAFolder,    // a link, a file, or anything else that is no real folder
    OtherOwner,    // made by another user
    OpenToOthers,  // group or others have some permission on it
    UnsafeParent,  // its parent lets another user rename it and put something else there
    Unusable,      // cannot be made or opened
};

// A short English text for the log ("owned by another user").
const char* RefusalText(FolderRefusal refusal);

// Makes `folder` (no trailing '/') when it is missing and says why it cannot serve as a private
// folder, or None: a real folder owned by the effective user, with no permission for group or
// others, in a parent owned by this user or root that others cannot write (unless it is sticky,
// as /tmp is). A folder that passes gets its owner permissions completed to 0700.
FolderRefusal MakePrivateFolder(const std::string& folder);

struct PrivateFolderChoice {
    std::string folder;  // with a trailing '/'; empty when not even a fresh one could be made
    std::vector<std::pair<std::string, FolderRefusal>> refused;  // candidates passed over, in order
    bool fresh = false;  // every candidate was refused: a folder of this process alone
};

// The first of `candidates` that MakePrivateFolder accepts. The order is fixed, so every process
// of the user lands in the same folder, and another user who pre-makes one of them only moves us
// to the next. When all are refused: a fresh folder made from the mkdtemp template
// `freshTemplate` (ending in "XXXXXX"), kept for the rest of the process.
PrivateFolderChoice ChoosePrivateFolder(const std::vector<std::string>& candidates,
                                        const std::string& freshTemplate);

}  // namespace platform::posix
