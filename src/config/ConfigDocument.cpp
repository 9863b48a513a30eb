#include "config/ConfigDocument.h"

#include <cwchar>

namespace configdoc {

bool StrictTrue(const std::wstring& value) { return value == L"1"; }

bool TrueUnlessZero(const std::wstring& value) { return value != L"0"; }

std::vector<std::wstring> SplitList(const std::wstring& value, wchar_t separator) {
    std::vector<std::wstring> items;
    if (value.empty()) return items;
    std::size_t start = 0;
    for (std::size_t pos = value.find(separator); pos != std::wstring::npos;
         pos = value.find(separator, start)) {
        items.push_back(value.substr(start, pos - start));
        start = pos + 1;
    }
    items.push_back(value.substr(start));
    return items;
}

std::uint32_t ParseThemeColor(const std::wstring& value) {
    const wchar_t* digits = value.c_str();
    if (*digits == L'#') ++digits;
    // Saturate like the 32-bit conversion the documents were written for.
    const unsigned long number = std::wcstoul(digits, nullptr, 16);
    return number > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<std::uint32_t>(number);
}

}  // namespace configdoc
