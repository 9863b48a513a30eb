// What the Win32 shell's files share.
#pragma once

#include <windows.h>

namespace toolkit::win32 {

// Screen pixels per layout pixel of the monitor a window is on (of the primary screen for
// nullptr): 2 on a desktop at 200 %.
int DeviceScaleOf(HWND window);

// Whether the system blends the partly transparent pixels of layered windows with what lies
// below (desktop composition). Wine on X does not: it shows every pixel that is not wholly
// transparent as opaque, so a soft shadow or an anti-aliased edge turns black there.
bool DesktopComposed();

}  // namespace toolkit::win32
