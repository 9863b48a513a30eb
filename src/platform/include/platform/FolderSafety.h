// Whether other users can change what a folder path names. A path is only as safe as every
// folder on the way to it: whoever may rename entries in any of them can put another file under
// the same name between our check of a file and our use of it.
#pragma once

#include <string>

namespace platform {

// True when no other user can make `folder` name something else or change its entries: the
// folder and every folder above it (both as written and with links resolved) belong to this user
// or the administrator (root; Windows: Administrators, SYSTEM or TrustedInstaller); none above it
// is writable by group or others unless it is sticky (as /tmp is: there only an entry's owner may
// rename it); the folder itself is writable by neither group nor others. False when any of them
// cannot be examined.
//
// Windows has ACLs instead of mode bits: "another user" is any account besides this user,
// Administrators, SYSTEM and TrustedInstaller. No folder on the way may grant another user the
// right to delete or rename its entries, to delete it, or to change its rights or owner (adding
// entries alone is harmless, as in a sticky folder: it cannot take an existing name); the folder
// itself may not let another user add entries either. Entries that only pass on to new children
// (inherit-only) do not count.
bool IsPathSafeFromOthers(const std::wstring& folder);

}  // namespace platform
