// The skin's trust/ and trust/deny/ certificates as the Windows certificate functions see them.
// A certificate of trust/ is pinned: a chain that reaches it (or a certificate with its subject
// and public key, however re-encoded) is the publisher's. A certificate of trust/deny/ is matched
// as the Linux check matches it, by what no re-encoding changes: its public key, or its issuer
// and serial number.
//
// Threading: built and used by one check at a time; it owns its certificate contexts.
#pragma once

#include <windows.h>
// The header below builds on the types windows.h declares.
#include <wincrypt.h>

#include <memory>
#include <string>
#include <vector>

#include "sys/TrustStore.h"

namespace FuntionImpl::win32 {

struct CertFree {
    void operator()(PCCERT_CONTEXT cert) const { CertFreeCertificateContext(cert); }
};
using CertPtr = std::unique_ptr<const CERT_CONTEXT, CertFree>;

struct StoreClose {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
using StorePtr = std::unique_ptr<void, StoreClose>;

// The certificates of PEM texts (one or more per text); unreadable blocks are skipped.
std::vector<CertPtr> CertificatesFromPem(const std::vector<std::string>& pems);

class CertificatePins {
public:
    explicit CertificatePins(const TrustStore& trust);

    bool Trusts(PCCERT_CONTEXT cert) const;
    bool Denies(PCCERT_CONTEXT cert) const;
    // A memory store holding the trusted certificates, for the chain engine to find them in;
    // null when it could not be made.
    HCERTSTORE TrustedStore() const { return trustedStore_.get(); }

private:
    std::vector<CertPtr> trusted_;
    std::vector<CertPtr> denied_;
    StorePtr trustedStore_;
};

}  // namespace FuntionImpl::win32
