#include "sys/DebugSettings.h"

#include <filesystem>
#include <mutex>
#include <set>

#include "platform/Files.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "sys/IniFile.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

// A tester's file holds a few lines; anything larger is not one.
constexpr std::uint64_t kMaxSettingsBytes = 64 * 1024;

bool SwitchOn(const wchar_t* key) { return DebugSwitchOn(DebugSettingsPath(), key); }

// Once per file: every switch query reads the file, and some run for every event sent.
void LogIgnored(const std::wstring& file) {
    static std::mutex mutex;
    static std::set<std::wstring> logged;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!logged.insert(file).second) return;
    }
    CVD_LOG << " debug settings file ignored, another user could have written it: "
            << Utf16ToUtf8(file);
}

}  // namespace

std::wstring DebugSettingsPath() {
    const std::filesystem::path module = platform::FsPath(platform::ModulePath());
    // Without the executable's folder a bare name would be looked up in the working folder.
    if (!module.has_parent_path()) return std::wstring();
    return platform::WidePath(module.parent_path() / "cv_downloader.cfg");
}

bool DebugSwitchOn(const std::wstring& file, const wchar_t* key) {
    if (file.empty()) return false;
    std::string bytes;
    switch (platform::ReadSettingsFile(file, kMaxSettingsBytes, bytes)) {
        case platform::SettingsFileRead::Read:
            return IniInt(bytes, L"Settings", key, 0) == 1;
        case platform::SettingsFileRead::NotTrusted:
            LogIgnored(file);
            return false;
        default:
            return false;
    }
}

bool TestEnv() { return SwitchOn(L"TestEnv"); }
bool ReplacePackage() { return SwitchOn(L"ReplacePackage"); }
bool AutoRun() { return SwitchOn(L"AutoRun"); }
bool FullLog() { return SwitchOn(L"FullLog"); }
bool NoGA4() { return SwitchOn(L"NoGA4"); }
bool NoBigData() { return SwitchOn(L"NoBigData"); }
bool CrashTest() { return SwitchOn(L"CrashTest"); }
bool GATestAccount() { return SwitchOn(L"GATestAccount"); }

}  // namespace FuntionImpl
