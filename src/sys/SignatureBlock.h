// Where a signed package keeps its signature. The signature is appended to the signed bytes, so
// the signed part is every byte before it:
//
//   [signed bytes][signature: DER CMS (PKCS#7) SignedData, detached, SHA-256][trailer]
//   trailer (16 bytes): u64 little-endian signature length, then the 8 bytes "CVDSIG01"
//
// A file whose last 16 bytes are not such a trailer, or whose length does not fit, is unsigned.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

#include "sys/LengthTrailer.h"

namespace FuntionImpl {

inline constexpr char kSignatureMagic[8] = {'C', 'V', 'D', 'S', 'I', 'G', '0', '1'};
inline constexpr std::uint64_t kSignatureTrailerSize = kLengthTrailerSize;
// No signature of ours comes near this; a larger length is damage, not a signature to read.
inline constexpr std::uint64_t kMaxSignatureSize = 1u << 20;

struct SignatureBlock {
    std::uint64_t signedLength = 0;  // bytes covered: everything before the signature
    std::uint64_t signatureLength = 0;
};

// The block of a file of `fileSize` bytes read through `in`; nothing when the file carries none.
std::optional<SignatureBlock> FindSignatureBlock(std::istream& in, std::uint64_t fileSize);

// The 16 trailer bytes for a signature of `signatureLength` bytes.
std::string SignatureTrailer(std::uint64_t signatureLength);

}  // namespace FuntionImpl
