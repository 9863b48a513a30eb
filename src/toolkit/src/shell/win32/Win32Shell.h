// What the Win32 shell's files share.
#pragma once

#include <windows.h>

namespace toolkit::win32 {

// Screen pixels per layout pixel of the monitor a window is on (of the primary screen for
// nullptr): 2 on a desktop at 200 %.
int DeviceScaleOf(HWND window);

}  // namespace toolkit::win32
