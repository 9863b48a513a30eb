// A toolkit's sub-programs: wait (at most 10 s) for their list, then download each, three tries
// apiece. A sub-program that fails stays undownloaded and the attempt goes on.
#pragma once

#include "config/ConfigRecords.h"
#include "install/InstallAttempt.h"

namespace install {

// False when stopped.
bool DownloadSubPrograms(InstallAttempt& attempt);

// Whether a record's server names stay plain names (logged when refused).
bool SubProgramNamesAccepted(const SubProgramInfo& info);

}  // namespace install
