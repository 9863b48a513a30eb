#include "sys/SignatureBlock.h"

#include <cstring>

namespace FuntionImpl {

std::optional<SignatureBlock> FindSignatureBlock(std::istream& in, std::uint64_t fileSize) {
    if (fileSize < kSignatureTrailerSize) return std::nullopt;
    unsigned char trailer[kSignatureTrailerSize];
    in.clear();
    in.seekg(static_cast<std::streamoff>(fileSize - kSignatureTrailerSize));
    if (!in.read(reinterpret_cast<char*>(trailer), sizeof trailer)) return std::nullopt;
    if (std::memcmp(trailer + 8, kSignatureMagic, sizeof kSignatureMagic) != 0) return std::nullopt;
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) length = length << 8 | trailer[i];
    if (length == 0 || length > kMaxSignatureSize || length > fileSize - kSignatureTrailerSize)
        return std::nullopt;
    return SignatureBlock{fileSize - kSignatureTrailerSize - length, length};
}

std::string SignatureTrailer(std::uint64_t signatureLength) {
    std::string trailer(kSignatureTrailerSize, '\0');
    for (int i = 0; i < 8; ++i) trailer[i] = static_cast<char>(signatureLength >> (8 * i) & 0xFF);
    std::memcpy(trailer.data() + 8, kSignatureMagic, sizeof kSignatureMagic);
    return trailer;
}

}  // namespace FuntionImpl
