// The check that decides whether a downloaded package may run: its signature must verify over
// the package's bytes and chain to a publisher certificate of the skin's trust/, and to none of
// trust/deny/ (TrustStore.h). On Linux the signature is appended to the package (see
// SignatureBlock.h) and checked with OpenSSL; on Windows it is the package's Authenticode
// signature, checked by WinVerifyTrust and then pinned to trust/. The file is read as a stream,
// so a package of any size costs a few kilobytes of memory.
#pragma once

#include <cstdint>
#include <string>

#include "sys/TrustStore.h"

namespace FuntionImpl {

// Status values, the codes the check's log line and texts use.
inline constexpr std::int32_t kSignatureVerified = 0;
inline constexpr std::int32_t kTrustNoSignature = static_cast<std::int32_t>(0x800B0100);
inline constexpr std::int32_t kTrustExplicitDistrust = static_cast<std::int32_t>(0x800B0111);
inline constexpr std::int32_t kTrustSubjectNotTrusted = static_cast<std::int32_t>(0x800B0004);
inline constexpr std::int32_t kCryptSecuritySettings = static_cast<std::int32_t>(0x80092026);
// The file's bytes do not match the digest its Authenticode signature carries (Windows).
inline constexpr std::int32_t kTrustBadDigest = static_cast<std::int32_t>(0x80096010);
// Our own codes (customer bit set), shown as "Error is: 0x%x.":
// the verifier could not be set up (out of memory, unusable trust certificate);
inline constexpr std::int32_t kSignatureSetupFailed = static_cast<std::int32_t>(0xA0CF0001);
// the signed bytes could not be read to their end (I/O error, file shrank while read).
inline constexpr std::int32_t kSignatureReadFailed = static_cast<std::int32_t>(0xA0CF0002);

struct SignatureCheck {
    std::int32_t status = kTrustNoSignature;
    std::string text;  // UTF-8, the outcome's sentence with the path filled in
    bool Verified() const { return status == kSignatureVerified; }
};

// Checks `path` against `trust` and logs " VerifyEmbeddedSignature result is " with the outcome.
SignatureCheck VerifyEmbeddedSignatureResult(const std::wstring& path, const TrustStore& trust);

// True only when `path` carries a signature that verifies against the running installer's own
// trust/ certificates.
bool VerifyEmbeddedSignature(const std::wstring& path);

}  // namespace FuntionImpl
