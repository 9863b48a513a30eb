// Small files the program keeps for itself (the visit file) and the private copies of packages,
// written so that neither a crash nor another user can leave or plant something else under their
// names; and settings files read only when no other user can have written them.
//
// "Only this user" means mode 0700/0600 on Linux and, on Windows, a protected DACL whose one
// entry grants this user full access. "Another user" on Windows is any account other than this
// user, Administrators, SYSTEM and TrustedInstaller, the accounts that own the system's folders.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` with the C library's `mode` ("rb", "wb", "ab", ...). The path stays wide up to
// the system, so a folder named in any script opens on every OS (a narrow name would be read in
// the ANSI code page on Windows). The file is never inherited by a program started later. Null
// when it cannot be opened; errno tells why.
FilePtr OpenFile(const std::wstring& path, const char* mode);

// Replaces the file `path` with `bytes`: they go to a new temporary file beside it, created
// exclusively (never opened through a name or link that already exists, readable by the owner
// only), which is then renamed over `path`. False when any step fails; `path` is then unchanged
// and the temporary file removed.
bool ReplaceFileContents(const std::wstring& path, std::string_view bytes);

enum class SettingsFileRead {
    Read,
    Missing,
    // owned by another user (not root or the administrators), or writable by its group or by
    // others (Windows: its DACL lets another user write it or change its rights)
    NotTrusted,
    Unreadable,  // not a regular file, larger than the limit, or a read error
};

// Reads the settings file `path` into `bytes` (at most `limit` bytes) when it may steer this
// program: owned by the running user or by root, and writable by neither its group nor others.
// Owner, mode and contents come from one open descriptor, so the file cannot be swapped between
// the check and the read; opening never waits (a FIFO is refused, not read).
SettingsFileRead ReadSettingsFile(const std::wstring& path, std::uint64_t limit,
                                  std::string& bytes);

// Makes `folder` and every missing folder above it. On Windows the folders it makes get a
// protected DACL for this user alone: inherited from a drive's root they would let every signed-in
// user rename their entries. Elsewhere they follow the umask. True when `folder` is a folder
// afterwards.
bool MakeFolders(const std::wstring& folder);

// Makes a new folder inside `parent` whose name starts with `prefix`, with a random rest, that
// only this user may enter; never an existing folder or link. Its path, without a trailing
// separator, or nothing with the system's reason in `error`.
std::optional<std::wstring> MakeFreshPrivateFolder(const std::wstring& parent,
                                                   const std::wstring& prefix, std::string& error);

// Copies the regular file `source` to the new file `target`, readable and runnable by this user
// only. The source is opened without following a link, so a link planted under its name is not
// copied; the target is created exclusively, so nothing already there is written through. False
// with the system's reason in `error`; a partial target is removed.
bool CopyFilePrivately(const std::wstring& source, const std::wstring& target, std::string& error);

}  // namespace platform
