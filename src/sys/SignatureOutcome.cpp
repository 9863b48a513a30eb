#include "sys/SignatureOutcome.h"

#include <cstdio>

#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

std::string Format(const char* pattern, const std::string& value) {
    const int size = std::snprintf(nullptr, 0, pattern, value.c_str());
    std::string out(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, value.c_str());
    out.resize(static_cast<std::size_t>(size));
    return out;
}

}  // namespace

std::string SignatureOutcomeText(std::int32_t status, bool absenceKnown, const std::string& path) {
    switch (status) {
        case kSignatureVerified:
            return Format("The file \"%s\" is signed and the signature was verified.", path);
        case kTrustNoSignature:
            return absenceKnown
                       ? Format("The file \"%s\" is not signed.", path)
                       : Format(
                             "An unknown error occurred trying to verify the signature of the "
                             "\"%s\" file.",
                             path);
        case kTrustExplicitDistrust:
            return "The signature is present, but specifically disallowed.";
        case kTrustSubjectNotTrusted:
            return "The signature is present, but not trusted.";
        case kCryptSecuritySettings:
            return "CRYPT_E_SECURITY_SETTINGS - The hash representing the subject or the "
                   "publisher wasn't explicitly trusted by the admin and admin policy has "
                   "disabled user trust. No signature, publisher or timestamp errors.";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "Error is: 0x%x.", static_cast<unsigned>(status));
            return text;
        }
    }
}

SignatureCheck ReportSignatureCheck(std::int32_t status, bool absenceKnown,
                                    const std::wstring& path) {
    SignatureCheck result{status, SignatureOutcomeText(status, absenceKnown, Utf16ToUtf8(path))};
    CVD_LOG << " VerifyEmbeddedSignature result is " << result.status << ", " << result.text;
    return result;
}

}  // namespace FuntionImpl
