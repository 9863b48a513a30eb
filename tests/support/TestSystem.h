// What the shared fixtures need of the operating system: environment variables, a private
// temporary folder and the variables through which programs find the user's folders. One
// implementation per system (posix/, win32/), chosen by the build.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cvdtest {

// Values are UTF-8 on every system.
std::optional<std::string> GetVariable(const std::string& name);
void SetVariable(const std::string& name, const std::optional<std::string>& value);

// A new empty folder in the system's temporary folder, named `prefix` and random characters.
std::filesystem::path MakeTempFolder(const std::string& prefix);

// A variable that names one of the user's folders, and the folder below a private root it is
// pointed at for a test.
struct UserFolderVariable {
    std::string name;
    std::filesystem::path folder;
    bool trailingSeparator = false;  // TMPDIR is read with one by some programs
};
std::vector<UserFolderVariable> UserFolderVariables();

// The folder below the private root where the system's cache folder lies ("cache" for
// XDG_CACHE_HOME; Windows keeps caches in LOCALAPPDATA, "data").
std::filesystem::path CacheFolderBelowRoot();

// Whether sockets take a receive low-water mark (Windows refuses the option).
extern const bool kSocketsTakeReceiveLowWater;

}  // namespace cvdtest
