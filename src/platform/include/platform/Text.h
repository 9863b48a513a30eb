// Conversions between the program's wide text (wchar_t, UTF-32 on Linux) and the UTF-8 that
// the operating system takes. The one place that encodes and decodes UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Ill-formed code points (surrogates, values above U+10FFFF) become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// Ill-formed UTF-8 sequences become U+FFFD, one per offending byte.
std::wstring Utf8ToWide(std::string_view text);

}  // namespace platform
