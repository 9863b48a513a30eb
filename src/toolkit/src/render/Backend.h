// What the drawing backend the build compiles in (Cairo/Pango or Direct2D/DirectWrite) gives the
// portable core.
#pragma once

#include "toolkit/Canvas.h"

namespace toolkit {

// The backend's text layout, shared by every window; safe to call from any thread.
TextEngine& BackendTextEngine();

}  // namespace toolkit
