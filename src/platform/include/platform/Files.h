// Small files the program keeps for itself (the visit file), written so that neither a crash nor
// another user can leave or plant something else under their names; and settings files read only
// when no other user can have written them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Replaces the file `path` with `bytes`: they go to a new temporary file beside it, created
// exclusively (never opened through a name or link that already exists, readable by the owner
// only), which is then renamed over `path`. False when any step fails; `path` is then unchanged
// and the temporary file removed.
bool ReplaceFileContents(const std::wstring& path, std::string_view bytes);

enum class SettingsFileRead {
    Read,
    Missing,
    NotTrusted,  // owned by another user (not root), or writable by its group or by others
    Unreadable,  // not a regular file, larger than the limit, or a read error
};

// Reads the settings file `path` into `bytes` (at most `limit` bytes) when it may steer this
// program: owned by the running user or by root, and writable by neither its group nor others.
// Owner, mode and contents come from one open descriptor, so the file cannot be swapped between
// the check and the read; opening never waits (a FIFO is refused, not read).
SettingsFileRead ReadSettingsFile(const std::wstring& path, std::uint64_t limit,
                                  std::string& bytes);

}  // namespace platform
