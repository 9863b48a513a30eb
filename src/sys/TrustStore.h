// The publisher certificates a package signature is checked against. A skin package carries
// them in its trust/ folder: every certificate there (PEM, .pem or .crt, one or more per file)
// is trusted as a root, except those under trust/deny/, which are explicitly distrusted: a
// package whose signer or any certificate of its chain is listed there is refused even when the
// chain reaches a trusted root.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace FuntionImpl {

struct TrustStore {
    std::vector<std::string> trustedPem;
    std::vector<std::string> deniedPem;
};

// From a folder laid out like trust/ (certificates at the top, deny/ below it).
TrustStore TrustStoreFromFolder(const std::wstring& folder);
// From the trust/ folder of a skin package (a zip archive in memory).
TrustStore TrustStoreFromSkin(const std::vector<std::uint8_t>& skinZip);
// From the skin package of `executable` (a built installer); empty when it carries none.
TrustStore TrustStoreOfInstaller(const std::wstring& executable);
// The running installer's own skin package; read once.
const TrustStore& OwnTrustStore();

}  // namespace FuntionImpl
