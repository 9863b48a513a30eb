// What the source files of InstallUIMainWnd share and nothing else needs.
#pragma once

#include "telemetry/SingleUserLog.h"

namespace ui::mainwnd {

// The folder proposed below program files and added to a folder chosen in the dialog.
inline constexpr const wchar_t* kFolderName = L"Zorvik";

inline CSingleUserLog& UserLog() { return CSingleUserLog::Instance(); }

}  // namespace ui::mainwnd
