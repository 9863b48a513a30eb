// The Windows build has no signature check yet: the OpenSSL check of the Linux build is not
// linked here, and the Authenticode check (WinVerifyTrust, then the signer's chain against the
// skin's trust/ and trust/deny/) comes with the issue that makes the installer run end to end on
// Windows. Until then every package is refused, so nothing unchecked ever runs.
#include "sys/PackageSignature.h"

#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {

SignatureCheck VerifyEmbeddedSignatureResult(const std::wstring& path, const TrustStore&) {
    SignatureCheck result{
        kSignatureUnavailable,
        "The signature of the file \"" + Utf16ToUtf8(path) +
            "\" cannot be checked: signature checks are not available in this build."};
    CVD_LOG << " VerifyEmbeddedSignature result is " << result.status << ", " << result.text;
    return result;
}

bool VerifyEmbeddedSignature(const std::wstring& path) {
    return VerifyEmbeddedSignatureResult(path, OwnTrustStore()).Verified();
}

}  // namespace FuntionImpl
