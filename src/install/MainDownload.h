// The main package's download: up to four attempts, with the events of each and of the end.
#pragma once

#include "install/InstallAttempt.h"

namespace install {

// Steps from the download clock to the end of the main download. False when stopped.
bool DownloadMainPackage(InstallAttempt& attempt);

// "First" when the first attempt ended the loop, "AutoRetry" after more, "Retry" after a user
// retry.
std::string DownloadFinishLabel(bool userRetried, int attempts);

}  // namespace install
