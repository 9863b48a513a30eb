#include "content/Digest.h"

#include "platform/Crypto.h"

namespace content {

std::string Md5Hex(std::string_view text) {
    return platform::DigestHex(platform::DigestKind::Md5, text);
}

std::string DecodeBase64(std::string_view text) {
    return platform::DecodeBase64(text).value_or(std::string());
}

}  // namespace content
