// Running the downloaded installers on the install thread: the product's package first, then
// each downloaded toolkit sub-program, each silently into the install folder and waited for in
// one-second steps. The product's installer succeeds when its process ends in time and the
// product's main program is then in the install folder; its exit code is only logged.
//
// Threading: install thread only, one run after the other. Each wait step ends early when the
// program is exiting (CConfigure's IsExiting). An installer that outlives its time is left
// running.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "install/InstallWindow.h"

namespace install {

// The value of /LANG= for a language index; "jp" instead of "ja" for the products that use it;
// empty outside the table.
std::wstring InstallerLanguageCode(std::int32_t languageIndex, bool jpCode);

// The installer's own file name in quotes when it holds a '_', else "null".
std::wstring TrackValue(const std::wstring& ownModulePath);

// " /VERYSILENT /SP- /NORESTART /DIR="<install>\" /LANG=<code>
// /LOG="<logs>Setup_<name>_<stamp>.log" /sptrack <track>"; `stamp` is the local time as
// YYYYMMDDhhmmss.
std::wstring MainPackageCommandLine(const std::wstring& installPath, const std::wstring& langCode,
                                    const std::wstring& logFolder, const std::wstring& softwareName,
                                    const std::wstring& stamp, const std::wstring& track);

// The same switches for a sub-program: its folder is <install>\<installDir>, without a
// separator before the closing quote, and its log is named after its local file.
std::wstring SubProgramCommandLine(const std::wstring& installPath, const std::wstring& installDir,
                                   const std::wstring& localPath, const std::wstring& langCode,
                                   const std::wstring& logFolder, const std::wstring& track);

// Shown before the package runs when the debug switch ReplacePackage is on; returns once the
// user has closed it (the window layer provides the box).
using ReplacePackageNotice = std::function<void(const std::wstring& packagePath)>;

// Error codes of a package run besides the time-out's "DL016".
inline constexpr char kInstallerStartFailed[] = "DL032";  // the installer could not be started
inline constexpr char kInstallerFailed[] = "DL033";       // it ended without installing the product

// Runs the package and waits for it. False when the install thread must end with -1: the
// installer could not start (DL032), outlived InstallTimeout (DL016) or ended without leaving
// the product's main program in the install folder (DL033), each reported and followed by
// WM_INSTALL_TIMEOUT, the window's install-failure message; or the program is exiting.
bool RunMainPackage(const std::wstring& packagePath, const std::wstring& installPath,
                    IInstallWindow& window, const ReplacePackageNotice& notice = {});

// Runs every downloaded sub-program of the configuration in list order; one that outlives about
// 240 s is left behind and the next one runs. False only when the program is exiting.
bool RunSubPrograms(const std::wstring& installPath, IInstallWindow& window);

// The steps a sub-program installer is waited for.
inline constexpr std::int32_t kSubProgramWaitSteps = 240;

enum class Waited { Ended, OutOfTime, Exiting };

// Calls `step` (a one-second wait, true once the installer has ended) until it succeeds, the
// program is exiting, or the count of failed steps passes `limit`: the wait gives up at the
// failed step `limit` + 2. `count` receives the failed steps counted.
Waited WaitInSteps(const std::function<bool()>& step, std::int32_t limit, std::int32_t& count);

}  // namespace install
