// POSIX: setenv, mkdtemp and the HOME/TMPDIR/XDG folders.
#include "TestSystem.h"

#include <cstdlib>
#include <stdexcept>

namespace cvdtest {

std::optional<std::string> GetVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

std::filesystem::path MakeTempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::vector<UserFolderVariable> UserFolderVariables() {
    return {{"HOME", "home"},
            {"TMPDIR", "tmp", true},
            {"XDG_DATA_HOME", "data"},
            {"XDG_STATE_HOME", "state"},
            {"XDG_RUNTIME_DIR", "runtime"},
            {"XDG_CONFIG_HOME", "config"},
            {"XDG_DESKTOP_DIR", std::filesystem::path("home") / "Desktop"},
            {"XDG_CACHE_HOME", "cache"}};
}

std::string PathText(const std::filesystem::path& path) { return path.string(); }

std::filesystem::path CacheFolderBelowRoot() { return "cache"; }

const bool kSocketsTakeReceiveLowWater = true;

}  // namespace cvdtest
