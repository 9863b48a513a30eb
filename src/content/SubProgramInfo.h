// The sub-programs a toolkit product installs beside its own package: chosen by the content
// server for the installer build, which is named by a key in the installer's file name. Records
// go to the configuration's SubPrograms; SubProgramInfoDone is raised whatever happens, because
// the install thread waits for it.
#pragma once

#include <json/value.h>

#include <string>

namespace content {

// The key of an installer file name: its source tag (SourceTagOf: after the last '_', up to an
// extension or the end of the name) from the 21st character on, when the tag is longer than 20
// characters and starts with '2'; else "".
std::wstring InstallerKey(const std::wstring& executablePath);

// "https://" + content server + "/kitDownloads?t=" + key + "&package_type=2" (64-bit) or "=1".
std::string SubProgramQueryUrl(const std::wstring& key, bool chinaSite, bool is64BitSystem);

// Thread body for the running installer. Always 0.
unsigned GetSubProgramInfoThreadFunc();

// The same for an installer at `executablePath`.
void LoadSubProgramInfo(const std::wstring& executablePath);

// Appends a record per element of "data", skipping those offered not in this country and,
// with a log line, those without a launch name or install folder or with a name the file-name
// rule refuses (so they count toward no size either). The number appended.
int ApplySubProgramAnswer(const Json::Value& answer);

}  // namespace content
