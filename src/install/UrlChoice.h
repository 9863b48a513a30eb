// Which package address the attempt downloads, and where the product goes when a 32-bit
// package is installed under the native program-files folder.
#pragma once

#include <string>

#include "install/InstallAttempt.h"

namespace install {

// Takes the configuration's current URL, probing the Windows 7/8 and 64-bit builds and moving
// to the next candidate on a 404. False when no URL is left (DL023 reported, WM_INSTALL_FAILED
// with NoPackageUrl posted).
bool ChoosePackageUrl(InstallAttempt& attempt);

// The first occurrence of `native` in `path` replaced by `view32` (path unchanged when absent).
std::wstring ReplaceProgramFiles(const std::wstring& path, const std::wstring& native,
                                 const std::wstring& view32);

// Applies the program-files rule to the attempt's install path.
void ApplyProgramFilesRule(InstallAttempt& attempt);

}  // namespace install
