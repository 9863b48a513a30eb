#include "content/Digest.h"

#include <openssl/evp.h>

#include <vector>

namespace content {

std::string Md5Hex(std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr)) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0xF];
    }
    return hex;
}

std::string DecodeBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0) return {};
    std::vector<unsigned char> out(text.size() / 4 * 3 + 1);
    const int length = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0) return {};
    // EVP_DecodeBlock counts the padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(length);
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '=' && size > 0; --i) --size;
    return std::string(reinterpret_cast<const char*>(out.data()), size);
}

}  // namespace content
