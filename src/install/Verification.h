// The integrity check after the downloads: the main package's MD5 digest and embedded
// signature, the sub-programs' likewise (logged only). A bad signature stops the attempt; a
// bad digest with a good signature is reported and the install goes on.
#pragma once

#include "install/InstallAttempt.h"

namespace install {

// False when the thread must end: stopped, or the signature failed (WM_INSTALL_SIGNATURE_FAIL
// posted).
bool VerifyPackages(InstallAttempt& attempt);

}  // namespace install
