// Windows: the CRT's wide environment (which also updates the process environment that
// GetEnvironmentVariableW reads), GetTempPathW through std::filesystem, and the folders
// USERPROFILE, APPDATA, LOCALAPPDATA, TEMP and TMP.
#include "TestSystem.h"

#include <windows.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

namespace cvdtest {
namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

}  // namespace

std::optional<std::string> GetVariable(const std::string& name) {
    const wchar_t* value = _wgetenv(Wide(name).c_str());
    return value ? std::optional<std::string>(Narrow(value)) : std::nullopt;
}

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
    // An empty value removes the variable, which is what nullopt asks for.
    _wputenv_s(Wide(name).c_str(), value ? Wide(*value).c_str() : L"");
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

}  // namespace cvdtest
