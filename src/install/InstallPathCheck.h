// The folder check of the install click, run again when the install thread has learnt the
// package sizes only after the click: room on the drives, the folder created, no reboot-pending
// file operations inside it.
#pragma once

#include <cstdint>
#include <string>

#include "install/DiskFacts.h"
#include "install/InstallTasks.h"
#include "install/WaitingWindow.h"

namespace install {

// True when the folder exists (created if needed) and has room; false when refused, with its
// box shown and InstallState set to 2. May rewrite the window's install path (another drive,
// a numbered suffix); the path it passed is left in CConfigure's CheckedInstallPath.
bool IsCorrectInstallPath(IInstallPage& window, const DiskFacts& disks = {});

// Moves the folder field's path to the roomiest fixed drive and stores it as the install path.
// Always 1.
int MoveInstallPathToFreeDrive(IInstallPage& window, const DiskFacts& disks = {});

// Filesize plus every sub-program's file_size (leading digits, base 10).
std::int64_t RequiredSpace();

// The first of "path 1", "path 2", ... without pending operations; the 100th is taken unchecked.
std::wstring PathWithoutPendingRename(const std::wstring& path);

}  // namespace install
