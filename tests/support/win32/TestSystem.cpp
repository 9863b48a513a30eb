// Windows: the CRT's wide environment (which also updates the process environment that
// GetEnvironmentVariableW reads), GetTempPathW through std::filesystem, and the folders
// USERPROFILE, APPDATA, LOCALAPPDATA, TEMP and TMP.
#include "TestSystem.h"

#include <windows.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

#include "platform/Text.h"

namespace cvdtest {

std::optional<std::string> GetVariable(const std::string& name) {
    const wchar_t* value = _wgetenv(platform::Utf8ToWide(name).c_str());
    return value ? std::optional<std::string>(platform::WideToUtf8(value)) : std::nullopt;
}

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
    // An empty value removes the variable, which is what nullopt asks for.
    _wputenv_s(platform::Utf8ToWide(name).c_str(),
               value ? platform::Utf8ToWide(*value).c_str() : L"");
}

std::filesystem::path MakeTempFolder(const std::string& prefix) {
    std::random_device seed;
    std::mt19937 random(seed());
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 8; ++i) name += letters[random() % (sizeof letters - 1)];
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("no temporary folder could be made");
}

std::vector<UserFolderVariable> UserFolderVariables() {
    return {{"USERPROFILE", "home"},
            {"APPDATA", "config"},
            {"LOCALAPPDATA", "data"},
            {"TEMP", "tmp"},
            {"TMP", "tmp"}};
}

std::filesystem::path CacheFolderBelowRoot() { return "data"; }

const bool kSocketsTakeReceiveLowWater = false;

}  // namespace cvdtest
