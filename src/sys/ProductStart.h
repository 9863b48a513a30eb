// Starting the installed product once the install has finished.
//
// admin != 0: the product starts with the installer's own rights, in its own folder, with
// `args`. admin == 0: it starts with the rights of the desktop user, as the desktop shell would
// start it: detached in a session of its own and, when the installer runs as root for a desktop
// user (sudo, pkexec), as that user. The shell start takes no arguments, so `args` are dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace FuntionImpl {

// 0 when started (or nothing to do: the debug switch AutoRun is on), -1 when it failed. `exe` is
// the quoted path of the product's executable.
std::int32_t StartTargetMainExe(const std::wstring& exe, std::int32_t admin,
                                const std::wstring& args);

// Where a failed start is reported ("StartWindowError" with the system error as decimal text).
// The install layer installs the user-log reporter; until then failures are only logged.
// Threading: install it before any start; it is called on the starting thread.
using StartErrorReporter = std::function<void(const std::string& error)>;
void SetStartErrorReporter(StartErrorReporter reporter);

}  // namespace FuntionImpl
