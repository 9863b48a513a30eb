#include "sys/TextConvert.h"

#include "platform/Text.h"

namespace FuntionImpl {

std::string Utf16ToUtf8(const std::wstring& text) {
    std::wstring_view view(text);
    return platform::WideToUtf8(view.substr(0, view.find(L'\0')));
}

std::wstring Utf8ToUtf16(const std::string& text) { return platform::Utf8ToWide(text); }

std::string AnsiToUtf8(const std::string& text) {
    return platform::WideToUtf8(platform::Utf8ToWide(text));
}

}  // namespace FuntionImpl
