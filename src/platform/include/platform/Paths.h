// Where the program and the user's standard folders are. Every location derives from the
// standard environment (HOME, TMPDIR, XDG_*), read at each call, so tests can point them at a
// temporary folder. Every folder returned ends with '/'.
#pragma once

#include <string>

namespace platform {

// Full path of the running executable.
std::wstring ModulePath();

// $HOME, else the home folder of the password database.
std::wstring HomeFolder();

// $TMPDIR, else /tmp/.
std::wstring TempFolder();

// $XDG_DATA_HOME, else $HOME/.local/share/.
std::wstring LocalAppDataFolder();

// $XDG_CACHE_HOME, else $HOME/.cache/.
std::wstring CacheFolder();

// $XDG_DESKTOP_DIR (or the DESKTOP entry of user-dirs.dirs), else $HOME/Desktop/.
std::wstring DesktopFolder();

// /opt/ when writable, else $HOME/.local/opt/.
std::wstring ProgramFilesFolder();

// $XDG_RUNTIME_DIR/cvdownloader/ (when absolute), else /tmp/cvdownloader-<uid>/; created if
// missing.
std::wstring RuntimeFolder();
// Where RuntimeFolder() lies, without creating it.
std::wstring RuntimeFolderPath();

// Where machine-wide records live: $CVD_MACHINE_STATE_DIR, else /var/lib/cvdownloader/ when
// writable, else $XDG_STATE_HOME/cvdownloader/ ($HOME/.local/state/cvdownloader/).
std::wstring MachineStateFolder();

// True when `path` is a folder (not a link to one) that this process may create files in and
// that no other user can change under it: owned by this user or by the administrator (root), and
// not writable by everybody.
bool IsOwnWritableFolder(const std::wstring& path);

}  // namespace platform
