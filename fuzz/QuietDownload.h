// What a target that drives the download engine or the content threads sets up first: a private
// home, no program log and no events sent anywhere, so millions of inputs stay fast and local.
#pragma once

#include "FuzzCheck.h"
#include "QuietLog.h"
#include "download/DownloadEvents.h"

namespace fuzz {

inline void QuietDownloadTarget() {
    PrivateHome();
    QuietProgramLog();
    SetDownloadEvents(nullptr);
}

}  // namespace fuzz
