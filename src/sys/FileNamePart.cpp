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

// C0 and C1 controls and DEL, whatever the locale says.
bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Characters Windows refuses in names, and the quote that would close a quoted path early.
constexpr wchar_t kRefused[] = L"/\\:\"<>|*?";

}  // namespace

bool IsSafeFileNamePart(const std::wstring& piece) {
    if (piece.empty()) return true;
    if (piece.find_first_of(kRefused) != std::wstring::npos) return false;
    if (std::any_of(piece.begin(), piece.end(), IsControl)) return false;
    if (piece.find(L"..") != std::wstring::npos) return false;
    if (piece.back() == L'.' || piece.back() == L' ') return false;
    return !IsDeviceName(piece);
}

std::wstring PrintableNamePart(std::wstring piece) {
    std::replace_if(piece.begin(), piece.end(), IsControl, L'?');
    return piece;
}

}  // namespace FuntionImpl
