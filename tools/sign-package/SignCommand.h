// `sign-package sign KEY CERT FILE`, as this system's packages are signed.
#pragma once

#include <string>

namespace cvdtools {

// Exit status of the command: 0 signed, 1 failed, 2 not offered here.
int SignCommand(const std::string& key, const std::string& cert, const std::string& file);

}  // namespace cvdtools
