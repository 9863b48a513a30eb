#include "sys/DebugSettings.h"

#include "platform/Paths.h"
#include "sys/IniFile.h"

namespace FuntionImpl {
namespace {

bool SwitchOn(const wchar_t* key) { return DebugSwitchOn(DebugSettingsPath(), key); }

}  // namespace

std::wstring DebugSettingsPath() {
    const std::wstring module = platform::ModulePath();
    const std::size_t slash = module.rfind(L'/');
    // Without the executable's folder a bare name would be looked up in the working folder.
    if (slash == std::wstring::npos) return std::wstring();
    return module.substr(0, slash + 1) + L"cv_downloader.cfg";
}

bool DebugSwitchOn(const std::wstring& file, const wchar_t* key) {
    return ReadIniInt(file, L"Settings", key, 0) == 1;
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
