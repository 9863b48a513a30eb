// Whether other users can change what a folder path names. A path is only as safe as every
// folder on the way to it: whoever may rename entries in any of them can put another file under
// the same name between our check of a file and our use of it.
#pragma once

#include <string>

namespace platform {

// True when no other user can make `folder` name something else or change its entries: the
// folder and every folder above it (both as written and with links resolved) belong to this user
// or the administrator (root); none above it is writable by group or others unless it is sticky
// (as /tmp is: there only an entry's owner may rename it); the folder itself is writable by
// neither group nor others. False when any of them cannot be examined.
bool IsPathSafeFromOthers(const std::wstring& folder);

}  // namespace platform
