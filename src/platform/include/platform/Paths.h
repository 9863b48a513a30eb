// Where the program and the user's standard folders are. Every location derives from the
// standard environment (HOME, TMPDIR, XDG_*), read at each call, so tests can point them at a
// temporary folder. Every folder returned ends with '/'.
#pragma once

#include <string>
#include <vector>

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

// The folder of the named-mutex lock files and the window-activation sockets, which every
// process of the user must find at the same place, and which must be this user's alone: another
// user who could plant a file or a link in it could fake a running instance or have us create
// files where a link points. The candidates, in a fixed order: $XDG_RUNTIME_DIR/cvdownloader/,
// then /tmp/cvdownloader-<uid>/, then /tmp/cvdownloader-<uid>-1/ ... -<uid>-7/ (TMPDIR is not
// read: two processes of the user may name different ones). The first that is a real folder
// owned by this user with mode 0700 (made when missing) is taken. When every candidate is
// refused, a fresh private folder of this process alone: locks then exclude within the process
// only. Empty when not even that can be made.
struct RuntimeFolderChoice {
    std::wstring folder;
    std::vector<std::wstring> refused;  // "<folder>: <why>" for each candidate passed over
    bool fresh = false;                 // every candidate was refused
};
RuntimeFolderChoice ChooseRuntimeFolder();
// ChooseRuntimeFolder().folder
std::wstring RuntimeFolder();
// The first candidate, named without creating or checking it: where RuntimeFolder() lies
// unless that folder was refused.
std::wstring RuntimeFolderPath();

// Where machine-wide records live: $CVD_MACHINE_STATE_DIR, else /var/lib/cvdownloader/ when
// writable, else $XDG_STATE_HOME/cvdownloader/ ($HOME/.local/state/cvdownloader/).
std::wstring MachineStateFolder();

// True when `path` is a folder (not a link to one) that this process may create files in and
// that no other user can change under it: owned by this user or by the administrator (root), and
// not writable by everybody.
bool IsOwnWritableFolder(const std::wstring& path);

}  // namespace platform
