#include "sys/LengthTrailer.h"

#include <cstring>

namespace FuntionImpl {

std::string LengthTrailer(std::uint64_t sectionLength, const TrailerMagic& magic) {
    std::string trailer(kLengthTrailerSize, '\0');
    for (int i = 0; i < 8; ++i) trailer[i] = static_cast<char>(sectionLength >> (8 * i) & 0xFF);
    std::memcpy(trailer.data() + 8, magic, sizeof magic);
    return trailer;
}

std::optional<std::uint64_t> ReadLengthTrailer(std::istream& in, std::uint64_t end,
                                               const TrailerMagic& magic) {
    if (end < kLengthTrailerSize) return std::nullopt;
    unsigned char trailer[kLengthTrailerSize];
    in.clear();
    in.seekg(static_cast<std::streamoff>(end - kLengthTrailerSize));
    if (!in.read(reinterpret_cast<char*>(trailer), sizeof trailer)) return std::nullopt;
    if (std::memcmp(trailer + 8, magic, sizeof magic) != 0) return std::nullopt;
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) length = length << 8 | trailer[i];
    if (length == 0 || length > end - kLengthTrailerSize) return std::nullopt;
    return length;
}

}  // namespace FuntionImpl
