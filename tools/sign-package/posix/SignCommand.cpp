// Linux: the signature the Linux installer checks, appended with OpenSSL (PackageSigner.h).
#include "SignCommand.h"

#include <cstdio>

#include "PackageSigner.h"

namespace cvdtools {

int SignCommand(const std::string& key, const std::string& cert, const std::string& file) {
    std::string error;
    if (!SignPackage(key, cert, file, error)) {
        std::fprintf(stderr, "sign-package: %s\n", error.c_str());
        return 1;
    }
    std::printf("signed %s\n", file.c_str());
    return 0;
}

}  // namespace cvdtools
