#pragma once

#include <cstdint>
#include <string>

namespace FuntionImpl {

// Replaces every `from` in `text`, scanning on after each inserted `to`; the number replaced.
int ReplaceAll(std::string& text, const std::string& from, const std::string& to);
// 1023B, 1KB, 1.50KB, 3GB ...
std::string FormatByteSize(std::uint64_t bytes);
// The text from its 21st character when longer than 20 characters and starting with '2'; else "".
std::wstring StripStampPrefix(const std::wstring& text);

// Decimal conversion with the rules of _wtoi / _wtoi64: leading white space and one sign allowed,
// conversion stops at the first non-digit, no digits gives 0; out-of-range values saturate.
int WToI(const std::wstring& text);
std::int64_t WToI64(const std::wstring& text);

}  // namespace FuntionImpl
