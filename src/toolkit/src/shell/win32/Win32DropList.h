// The combo's drop list: a layered popup under the combo that captures the pointer until an item
// is chosen or the user clicks elsewhere.
#pragma once

#include <windows.h>

#include "toolkit/Combo.h"

namespace toolkit {

// Shows the list under the combo of the window whose client area starts at `clientOrigin`
// (screen pixels); it closes and frees itself.
void OpenDropList(ComboUI& combo, HWND owner, Point clientOrigin, int scale);

}  // namespace toolkit
