// The sentences the signature check logs for its outcomes, shared by the OpenSSL check of the
// Linux build and the Authenticode check of the Windows build.
#pragma once

#include <cstdint>
#include <string>

#include "sys/PackageSignature.h"

namespace FuntionImpl {

// The sentence for `status` with the UTF-8 `path` filled in. A missing signature reads "not
// signed" only when `absenceKnown` (the file was read and carries none); otherwise the check
// could not tell and says an unknown error occurred.
std::string SignatureOutcomeText(std::int32_t status, bool absenceKnown, const std::string& path);

// The check's result for `path`, logged as " VerifyEmbeddedSignature result is " with the status
// and the sentence.
SignatureCheck ReportSignatureCheck(std::int32_t status, bool absenceKnown,
                                    const std::wstring& path);

}  // namespace FuntionImpl
