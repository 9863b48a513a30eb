// The layout of a setup executable made by setup-builder:
//
//   [setup program (ELF or PE)][payload: zip archive][setup trailer][optional signature]
//   setup trailer (16 bytes): u64 little-endian payload length, then the 8 bytes "CVDSETP1"
//
// The payload is overlay data of a PE image: bytes after its last section, which the loader
// ignores. The signature covers everything before it: on Linux the block of sign-package
// (sys/SignatureBlock.h); on Windows the Authenticode certificate table at the file's end, named
// by the PE security directory, after up to 7 zero bytes that align the signed bytes to 8. The
// setup skips either to find its own trailer. The payload also carries the setup's
// product manifest (sys/ProductManifest.h).
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "sys/LengthTrailer.h"

struct zip;  // libzip's archive

namespace FuntionImpl {

inline constexpr char kSetupMagic[8] = {'C', 'V', 'D', 'S', 'E', 'T', 'P', '1'};
inline constexpr std::uint64_t kSetupTrailerSize = kLengthTrailerSize;

struct PayloadSpan {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// Where the payload of a setup file of `fileSize` bytes lies; nothing when it carries none.
std::optional<PayloadSpan> FindPayload(std::istream& in, std::uint64_t fileSize);

std::string SetupTrailer(std::uint64_t payloadLength);

struct PayloadArchiveDiscard {
    void operator()(zip* archive) const;
};
using PayloadArchive = std::unique_ptr<zip, PayloadArchiveDiscard>;

// The payload of `setupFile` at `span`, opened read-only with its directory checked against its
// entries; null with `why` set when it is no valid archive.
PayloadArchive OpenPayloadArchive(const std::wstring& setupFile, PayloadSpan span,
                                  std::string& why);

}  // namespace FuntionImpl
