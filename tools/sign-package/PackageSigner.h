// Signs a package the way the installer checks it (sys/SignatureBlock.h): a detached CMS
// SignedData (SHA-256) over every byte of the file is appended, then the trailer. The file is
// read as a stream.
#pragma once

#include <string>
#include <vector>

namespace cvdtools {

// Appends the signature of `file` made with the PEM key and certificate; false with `error` set
// when a key or file cannot be read or the file already carries a signature. The signature also
// carries the certificates of the PEM files `extraCertPems` (intermediates of the chain).
bool SignPackage(const std::string& keyPem, const std::string& certPem, const std::string& file,
                 std::string& error, const std::vector<std::string>& extraCertPems = {});

}  // namespace cvdtools
