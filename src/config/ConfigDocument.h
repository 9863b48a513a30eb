// Value conversions of the configuration document: every entry is text, read with the rules
// the product documents have always been written against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace configdoc {

// True only for exactly "1".
bool StrictTrue(const std::wstring& value);
// True unless exactly "0" (an empty value is true).
bool TrueUnlessZero(const std::wstring& value);
// Splits at every separator; the rest after the last one is the last item; items are not
// trimmed; an empty value gives no items.
std::vector<std::wstring> SplitList(const std::wstring& value, wchar_t separator);
// One leading '#' skipped, the rest read as unsigned hexadecimal (as far as it goes).
std::uint32_t ParseThemeColor(const std::wstring& value);

}  // namespace configdoc
