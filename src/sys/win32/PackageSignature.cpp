// Windows: the package's Authenticode signature. WinVerifyTrust checks the signature's form and
// the file's digest, with the flags the check has always used (the hash only, no revocation check
// of the whole chain), so the machine's root store never decides. The trust decision is the
// skin's: the signer's signature must verify with its certificate, and that certificate must
// chain to a certificate of trust/ and to none of trust/deny/. Wine's WinVerifyTrust does not
// check the root at all, so this pinning is what refuses a package of any other publisher there
// too.
#include "sys/PackageSignature.h"

#include <windows.h>
// The headers below build on the types windows.h declares.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

#include "CertificatePins.h"
#include "sys/SignatureOutcome.h"

namespace FuntionImpl {
namespace {

using win32::CertificatePins;
using win32::CertPtr;
using win32::StorePtr;

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct Outcome {
    std::int32_t status;
    bool absenceKnown = true;  // for "not signed": the check could tell the file carries none
};

// Other processes may read the file but neither change nor replace it while it is checked, so
// WinVerifyTrust and the signer's read see the same bytes, which are the bytes that then run.
class FileHold {
public:
    explicit FileHold(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~FileHold() {
        if (Held()) CloseHandle(handle_);
    }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// WinVerifyTrust's status for the file; the thread's last error after it tells a file without a
// signature from one that could not be examined.
Outcome TrustStatus(const std::wstring& path) {
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags =
        WTD_HASH_ONLY_FLAG | WTD_REVOCATION_CHECK_END_CERT | WTD_NO_POLICY_USAGE_FLAG;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG status = WinVerifyTrust(nullptr, &action, &data);
    const DWORD lastError = GetLastError();
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(nullptr, &action, &data);
    const bool absenceKnown = lastError == static_cast<DWORD>(TRUST_E_NOSIGNATURE) ||
                              lastError == static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN) ||
                              lastError == static_cast<DWORD>(TRUST_E_PROVIDER_UNKNOWN);
    return {static_cast<std::int32_t>(status), absenceKnown};
}

// The signature as a message: the certificates it carries and its signer's.
class SignedMessage {
public:
    explicit SignedMessage(const std::wstring& path) {
        HCERTSTORE store = nullptr;
        if (CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(),
                             CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                             CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &store,
                             &message_, nullptr))
            carried_.reset(store);
    }
    ~SignedMessage() {
        if (message_) CryptMsgClose(message_);
    }
    SignedMessage(const SignedMessage&) = delete;
    SignedMessage& operator=(const SignedMessage&) = delete;

    HCERTSTORE Carried() const { return carried_.get(); }

    // The signer's certificate, when the message carries it and the signature verifies with it.
    CertPtr VerifiedSigner() const {
        if (!message_ || !carried_) return nullptr;
        DWORD size = 0;
        if (!CryptMsgGetParam(message_, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size)) return nullptr;
        std::vector<BYTE> buffer(size);
        if (!CryptMsgGetParam(message_, CMSG_SIGNER_INFO_PARAM, 0, buffer.data(), &size))
            return nullptr;
        const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());
        CERT_INFO wanted{};
        wanted.Issuer = signer->Issuer;
        wanted.SerialNumber = signer->SerialNumber;
        CertPtr cert(CertFindCertificateInStore(carried_.get(), kEncoding, 0,
                                                CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
        if (!cert || !CryptMsgControl(message_, 0, CMSG_CTRL_VERIFY_SIGNATURE, cert->pCertInfo))
            return nullptr;
        return cert;
    }

private:
    StorePtr carried_;
    HCRYPTMSG message_ = nullptr;
};

bool AnyCarriedDenied(HCERTSTORE carried, const CertificatePins& pins) {
    for (PCCERT_CONTEXT cert = nullptr; (cert = CertEnumCertificatesInStore(carried, cert));) {
        if (pins.Denies(cert)) {
            CertFreeCertificateContext(cert);
            return true;
        }
    }
    return false;
}

struct ChainFree {
    void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};
using ChainPtr = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFree>;

// The signer's chain as the chain engine builds it from the certificates the signature carries
// and those of trust/. No revocation check: the packages' certificates name no revocation list.
ChainPtr SignerChain(PCCERT_CONTEXT signer, HCERTSTORE carried, const CertificatePins& pins) {
    StorePtr both(CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
    if (!both || !pins.TrustedStore() || !CertAddStoreToCollection(both.get(), carried, 0, 0) ||
        !CertAddStoreToCollection(both.get(), pins.TrustedStore(), 0, 0))
        return nullptr;
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, signer, nullptr, both.get(), &para, 0, nullptr, &chain))
        return nullptr;
    return ChainPtr(chain);
}

// What voids a certificate on the way to the pinned one. An untrusted root is not listed: the
// machine's root store does not decide, trust/ does.
constexpr DWORD kVoidingErrors =
    CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_REVOKED | CERT_TRUST_IS_NOT_SIGNATURE_VALID |
    CERT_TRUST_IS_CYCLIC | CERT_TRUST_INVALID_EXTENSION | CERT_TRUST_INVALID_POLICY_CONSTRAINTS |
    CERT_TRUST_INVALID_BASIC_CONSTRAINTS | CERT_TRUST_INVALID_NAME_CONSTRAINTS |
    CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT | CERT_TRUST_HAS_NOT_DEFINED_NAME_CONSTRAINT |
    CERT_TRUST_HAS_NOT_PERMITTED_NAME_CONSTRAINT | CERT_TRUST_HAS_EXCLUDED_NAME_CONSTRAINT;

std::int32_t JudgeChain(const CERT_CHAIN_CONTEXT& chain, const CertificatePins& pins) {
    if (chain.cChain == 0) return kTrustSubjectNotTrusted;
    const CERT_SIMPLE_CHAIN& simple = *chain.rgpChain[0];
    for (DWORD i = 0; i < simple.cElement; ++i)
        if (pins.Denies(simple.rgpElement[i]->pCertContext)) return kTrustExplicitDistrust;
    for (DWORD i = 0; i < simple.cElement; ++i) {
        const CERT_CHAIN_ELEMENT& element = *simple.rgpElement[i];
        if (element.TrustStatus.dwErrorStatus & kVoidingErrors) return kTrustSubjectNotTrusted;
        if (pins.Trusts(element.pCertContext)) return kSignatureVerified;
    }
    return kTrustSubjectNotTrusted;
}

Outcome Check(const std::wstring& path, const TrustStore& trust) {
    const FileHold hold(path);
    if (!hold.Held()) return {kTrustNoSignature, false};
    const Outcome verified = TrustStatus(path);
    if (verified.status != kSignatureVerified) return verified;

    const SignedMessage message(path);
    const CertificatePins pins(trust);
    if (message.Carried() && AnyCarriedDenied(message.Carried(), pins))
        return {kTrustExplicitDistrust};
    const CertPtr signer = message.VerifiedSigner();
    if (!signer) return {kTrustSubjectNotTrusted};
    const ChainPtr chain = SignerChain(signer.get(), message.Carried(), pins);
    if (!chain) return {kSignatureSetupFailed};
    return {JudgeChain(*chain, pins)};
}

}  // namespace

SignatureCheck VerifyEmbeddedSignatureResult(const std::wstring& path, const TrustStore& trust) {
    const Outcome outcome = Check(path, trust);
    return ReportSignatureCheck(outcome.status, outcome.absenceKnown, path);
}

bool VerifyEmbeddedSignature(const std::wstring& path) {
    return VerifyEmbeddedSignatureResult(path, OwnTrustStore()).Verified();
}

}  // namespace FuntionImpl
