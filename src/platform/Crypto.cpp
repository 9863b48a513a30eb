// The parts of the crypto seam that are the same everywhere: hex text and the base64 syntax
// check, so that every system accepts exactly the same texts.
#include "platform/Crypto.h"

namespace platform {
namespace {

bool IsBase64Letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

}  // namespace

std::string LowerHex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        hex += kHex[value >> 4];
        hex += kHex[value & 0xF];
    }
    return hex;
}

std::string DigestHex(DigestKind kind, std::string_view bytes) {
    Digest digest(kind);
    digest.Update(bytes);
    const auto raw = digest.Finish();
    return raw ? LowerHex(*raw) : std::string();
}

bool IsCanonicalBase64(std::string_view text) {
    if (text.size() % 4 != 0) return false;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    for (std::size_t i = 0; i < text.size() - padding; ++i)
        if (!IsBase64Letter(text[i])) return false;
    return true;
}

}  // namespace platform
