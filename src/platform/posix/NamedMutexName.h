// POSIX implementation: how a mutex name becomes a lock-file name. Private to this folder and
// the platform tests.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// Keeps [A-Za-z0-9_.-], replaces every other byte of the UTF-8 name by '_' and then adds a hash
// of the original name (so "a/b" and "a_b" stay apart), cuts very long names, and appends
// ".lock". The result never contains '/' and never is "." or "..", so it stays in its folder.
std::string LockFileName(std::string_view name);

}  // namespace platform::posix
