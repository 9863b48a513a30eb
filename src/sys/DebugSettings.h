// Test switches from "cv_downloader.cfg" beside the executable, section [Settings]. Each query
// reads the file when it is asked, so the file may appear, change or vanish while the program
// runs. A switch is on only when its value is the integer 1. A file that another user could
// have written (owned by someone but this user or root, or writable by group or others) is
// ignored and logged once: it must not turn AutoRun or TestEnv on for somebody else.
#pragma once

#include <string>

namespace FuntionImpl {

bool TestEnv();
bool ReplacePackage();
bool AutoRun();
bool FullLog();
bool NoGA4();
bool NoBigData();
bool CrashTest();
bool GATestAccount();

// The debug settings file of the running executable; empty when that path is unknown.
std::wstring DebugSettingsPath();
// Whether `key` of [Settings] in `file` is exactly 1; false when the file is missing, untrusted
// or unreadable.
bool DebugSwitchOn(const std::wstring& file, const wchar_t* key);

}  // namespace FuntionImpl
