// Windows: packages carry Authenticode signatures, which the build makes on its own machine with
// osslsigncode (cmake/WindowsSigning.cmake); this program only checks them.
#include "SignCommand.h"

#include <cstdio>

namespace cvdtools {

int SignCommand(const std::string&, const std::string&, const std::string&) {
    std::fprintf(stderr,
                 "sign-package: Windows packages carry Authenticode signatures: sign them with "
                 "osslsigncode sign -certs CERT -key KEY -h sha256 -in FILE -out SIGNED\n");
    return 2;
}

}  // namespace cvdtools
