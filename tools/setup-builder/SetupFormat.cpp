#include "SetupFormat.h"

#include <cstring>

#include "sys/SignatureBlock.h"

namespace setup {

std::optional<PayloadSpan> FindPayload(std::istream& in, std::uint64_t fileSize) {
    std::uint64_t end = fileSize;
    if (const auto block = FuntionImpl::FindSignatureBlock(in, fileSize)) end = block->signedLength;
    if (end < kSetupTrailerSize) return std::nullopt;
    unsigned char trailer[kSetupTrailerSize];
    in.clear();
    in.seekg(static_cast<std::streamoff>(end - kSetupTrailerSize));
    if (!in.read(reinterpret_cast<char*>(trailer), sizeof trailer)) return std::nullopt;
    if (std::memcmp(trailer + 8, kSetupMagic, sizeof kSetupMagic) != 0) return std::nullopt;
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) length = length << 8 | trailer[i];
    if (length == 0 || length > end - kSetupTrailerSize) return std::nullopt;
    return PayloadSpan{end - kSetupTrailerSize - length, length};
}

std::string SetupTrailer(std::uint64_t payloadLength) {
    std::string trailer(kSetupTrailerSize, '\0');
    for (int i = 0; i < 8; ++i) trailer[i] = static_cast<char>(payloadLength >> (8 * i) & 0xFF);
    std::memcpy(trailer.data() + 8, kSetupMagic, sizeof kSetupMagic);
    return trailer;
}

}  // namespace setup
