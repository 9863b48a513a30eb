// Conversions between the program's wide text (wchar_t: UTF-32 on Linux, UTF-16 on Windows) and
// UTF-8. The one place that encodes and decodes UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Ill-formed code points (surrogates, values above U+10FFFF) become U+FFFD. In UTF-16 a
// surrogate pair is one code point; a surrogate without its partner is ill-formed.
std::string WideToUtf8(std::wstring_view text);

// Ill-formed UTF-8 sequences become U+FFFD, one per offending byte. Code points above U+FFFF
// become surrogate pairs in UTF-16.
std::wstring Utf8ToWide(std::string_view text);

}  // namespace platform
