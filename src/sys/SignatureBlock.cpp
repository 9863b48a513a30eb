#include "sys/SignatureBlock.h"

#include "sys/LengthTrailer.h"

namespace FuntionImpl {

std::optional<SignatureBlock> FindSignatureBlock(std::istream& in, std::uint64_t fileSize) {
    const auto length = ReadLengthTrailer(in, fileSize, kSignatureMagic);
    if (!length || *length > kMaxSignatureSize) return std::nullopt;
    return SignatureBlock{fileSize - kSignatureTrailerSize - *length, *length};
}

std::string SignatureTrailer(std::uint64_t signatureLength) {
    return LengthTrailer(signatureLength, kSignatureMagic);
}

}  // namespace FuntionImpl
