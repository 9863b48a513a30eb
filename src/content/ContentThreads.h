// The window's background threads for server content. Each runs one pass and ends; the window
// registers their handles with the configuration so that shut-down waits for them.
#pragma once

#include "content/BannerContent.h"
#include "content/PrivacyLinks.h"
#include "content/SubProgramInfo.h"

namespace content {

// The first, asynchronous download-information query. Always 0.
unsigned AsyncGetCbsInfoThreadFunc();

}  // namespace content
