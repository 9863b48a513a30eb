#include "install/ServerNames.h"

#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {

bool IsPlainServerName(const std::wstring& name) {
    if (name.empty()) return false;
    // A name the configuration reads can carry a NUL in the middle of a std::wstring.
    if (name.find(L'\0') != std::wstring::npos) return false;
    if (name.find_first_of(L"/\\") != std::wstring::npos) return false;
    return name.find(L"..") == std::wstring::npos;
}

bool AcceptServerName(const char* what, const std::wstring& name) {
    if (IsPlainServerName(name)) return true;
    std::wstring shown = name;
    for (wchar_t& c : shown)
        if (c == L'\0') c = L'?';
    CVD_LOG << " refused server name " << what << ": " << FuntionImpl::Utf16ToUtf8(shown);
    return false;
}

}  // namespace install
