#pragma once

#include <string>

namespace FuntionImpl {

// Wide text to UTF-8; the result ends at the first NUL character of the input.
std::string Utf16ToUtf8(const std::wstring& text);
std::wstring Utf8ToUtf16(const std::string& text);
// The system code page is UTF-8 on Linux, so this checks and passes the text through; ill-formed
// bytes become U+FFFD.
std::string AnsiToUtf8(const std::string& text);

}  // namespace FuntionImpl
