// Text digests and encodings the server requests need, in the forms they use.
#pragma once

#include <string>
#include <string_view>

namespace content {

// 32 lower-case hexadecimal characters.
std::string Md5Hex(std::string_view text);
// Standard alphabet; empty when `text` is not valid base64.
std::string DecodeBase64(std::string_view text);

}  // namespace content
