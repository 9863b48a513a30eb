// File operations the system will carry out at the next reboot. On Windows they sit in the
// session manager's "PendingFileRenameOperations" multi-string; on Linux the same value lives in
// the machine's file-backed registry store, its strings separated by NUL or line feed characters.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace install {

inline constexpr wchar_t kSessionManagerKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr wchar_t kPendingRenameValue[] = L"PendingFileRenameOperations";

// True when an entry (source or target) contains `path` and the system's separator ("\\" on
// Windows, "/" on Linux; case-sensitive). An unreadable store or value counts as no pending
// operations.
bool PathHasPendingRename(const std::wstring& path);
bool PathHasPendingRename(const std::wstring& path, const platform::RegistryStore& store);

}  // namespace install
