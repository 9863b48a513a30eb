#include "CertificatePins.h"

#include <algorithm>
#include <string_view>

namespace FuntionImpl::win32 {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr std::string_view kPemBegin = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view kPemEnd = "-----END CERTIFICATE-----";

CertPtr CertificateFromPemBlock(std::string_view block) {
    DWORD size = 0;
    if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr) ||
        size == 0)
        return nullptr;
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                              CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
        return nullptr;
    return CertPtr(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size));
}

bool SameBlob(const CRYPT_BIT_BLOB& a, const CRYPT_BIT_BLOB& b) {
    return a.cbData == b.cbData && a.cUnusedBits == b.cUnusedBits &&
           std::equal(a.pbData, a.pbData + a.cbData, b.pbData);
}

bool SameKey(PCCERT_CONTEXT a, PCCERT_CONTEXT b) {
    return SameBlob(a->pCertInfo->SubjectPublicKeyInfo.PublicKey,
                    b->pCertInfo->SubjectPublicKeyInfo.PublicKey);
}

bool SameIssuerAndSerial(PCCERT_CONTEXT a, PCCERT_CONTEXT b) {
    return CertCompareCertificateName(X509_ASN_ENCODING, &a->pCertInfo->Issuer,
                                      &b->pCertInfo->Issuer) &&
           CertCompareIntegerBlob(&a->pCertInfo->SerialNumber, &b->pCertInfo->SerialNumber);
}

bool SameSubjectAndKey(PCCERT_CONTEXT a, PCCERT_CONTEXT b) {
    return CertCompareCertificateName(X509_ASN_ENCODING, &a->pCertInfo->Subject,
                                      &b->pCertInfo->Subject) &&
           CertComparePublicKeyInfo(kEncoding, &a->pCertInfo->SubjectPublicKeyInfo,
                                    &b->pCertInfo->SubjectPublicKeyInfo);
}

}  // namespace

std::vector<CertPtr> CertificatesFromPem(const std::vector<std::string>& pems) {
    std::vector<CertPtr> out;
    for (const std::string& pem : pems) {
        const std::string_view text = pem;
        for (std::size_t begin = text.find(kPemBegin); begin != std::string_view::npos;
             begin = text.find(kPemBegin, begin + kPemBegin.size())) {
            const std::size_t end = text.find(kPemEnd, begin);
            if (end == std::string_view::npos) break;
            if (CertPtr cert =
                    CertificateFromPemBlock(text.substr(begin, end + kPemEnd.size() - begin)))
                out.push_back(std::move(cert));
        }
    }
    return out;
}

CertificatePins::CertificatePins(const TrustStore& trust)
    : trusted_(CertificatesFromPem(trust.trustedPem)),
      denied_(CertificatesFromPem(trust.deniedPem)),
      trustedStore_(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr)) {
    for (const CertPtr& cert : trusted_)
        if (trustedStore_ && !CertAddCertificateContextToStore(trustedStore_.get(), cert.get(),
                                                               CERT_STORE_ADD_ALWAYS, nullptr))
            trustedStore_.reset();
}

bool CertificatePins::Trusts(PCCERT_CONTEXT cert) const {
    return std::any_of(trusted_.begin(), trusted_.end(), [cert](const CertPtr& pinned) {
        return SameSubjectAndKey(pinned.get(), cert);
    });
}

bool CertificatePins::Denies(PCCERT_CONTEXT cert) const {
    return std::any_of(denied_.begin(), denied_.end(), [cert](const CertPtr& denied) {
        return SameKey(denied.get(), cert) || SameIssuerAndSerial(denied.get(), cert);
    });
}

}  // namespace FuntionImpl::win32
