#include "sys/FileNamePart.h"

#include <algorithm>
#include <cwctype>

namespace FuntionImpl {
namespace {

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

// Windows opens the device whatever follows the first '.', and ignores blanks before it.
bool IsDeviceName(const std::wstring& piece) {
    std::wstring base = piece.substr(0, piece.find(L'.'));
    base.erase(base.find_last_not_of(L' ') + 1);
    base = Upper(base);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
    return base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")) &&
           base[3] >= L'1' && base[3] <= L'9';
}

}  // namespace

bool IsSafeFileNamePart(const std::wstring& piece) {
    if (piece.empty()) return true;
    if (piece.find_first_of(std::wstring(L"/\\:\0", 4)) != std::wstring::npos) return false;
    if (piece.find(L"..") != std::wstring::npos) return false;
    if (piece.back() == L'.' || piece.back() == L' ') return false;
    return !IsDeviceName(piece);
}

}  // namespace FuntionImpl
