// Where the program and the user's standard folders are. Every folder returned ends with the
// system's separator ('\\' on Windows, '/' on Linux). Locations are read at each call from the
// standard environment, so tests can point them at a temporary folder: on Linux HOME, TMPDIR and
// XDG_*; on Windows USERPROFILE, LOCALAPPDATA and TMP (which Windows itself sets to the known
// folders), else the known-folder API.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Full path of the running executable (Windows: GetModuleFileNameW).
std::wstring ModulePath();

// Linux: $HOME, else the home folder of the password database. Windows: %USERPROFILE%, else
// the profile folder.
std::wstring HomeFolder();

// Linux: $TMPDIR, else /tmp/. Windows: GetTempPathW (TMP, else TEMP, ...).
std::wstring TempFolder();

// Linux: $XDG_DATA_HOME, else $HOME/.local/share/. Windows: %LOCALAPPDATA%, else the local
// application-data folder.
std::wstring LocalAppDataFolder();

// Linux: $XDG_CACHE_HOME, else $HOME/.cache/. Windows: LocalAppDataFolder().
std::wstring CacheFolder();

// Linux: $XDG_DESKTOP_DIR (or the DESKTOP entry of user-dirs.dirs), else $HOME/Desktop/.
// Windows: the desktop folder; when %USERPROFILE% names another profile than the user's own (a
// test run), its Desktop folder.
std::wstring DesktopFolder();

// $CVD_PROGRAM_FILES (test runs); else Linux: /opt/ when writable, else $HOME/.local/opt/;
// Windows: the program-files folder of this process's word size.
std::wstring ProgramFilesFolder();

// The folder of the named-mutex lock files and the window-activation sockets (Linux), which
// every process of the user must find at the same place, and which must be this user's alone:
// another user who could plant a file or a link in it could fake a running instance or have us
// create files where a link points. The candidates, in a fixed order: $XDG_RUNTIME_DIR/
// cvdownloader/, then /tmp/cvdownloader-<uid>/, then /tmp/cvdownloader-<uid>-1/ ... -<uid>-7/
// (TMPDIR is not read: two processes of the user may name different ones). The first that is a
// real folder owned by this user with mode 0700 (made when missing) is taken. When every
// candidate is refused, a fresh private folder of this process alone: locks then exclude within
// the process only. Empty when not even that can be made.
// Windows keeps named mutexes in the kernel; its one candidate is LocalAppDataFolder()
// cvdownloader\\, made with a DACL that lets only this user in, and refused when it is not a
// real folder, belongs to someone else, lets another user in or lies in a folder others can
// change.
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

// Where machine-wide records live: $CVD_MACHINE_STATE_DIR, else Linux: /var/lib/cvdownloader/
// when writable, else $XDG_STATE_HOME/cvdownloader/ ($HOME/.local/state/cvdownloader/); Windows:
// the program-data folder's cvdownloader\\ when writable, else LocalAppDataFolder()
// cvdownloader\\state\\.
std::wstring MachineStateFolder();

// True when `path` is a folder (not a link to one) that this process may create files in and
// that no other user can change under it: owned by this user or by the administrator (root;
// Windows: Administrators, SYSTEM or TrustedInstaller), and not writable by everybody (Windows:
// no entry of its DACL lets any other account add, remove or rename entries or change its
// rights).
bool IsOwnWritableFolder(const std::wstring& path);

}  // namespace platform
