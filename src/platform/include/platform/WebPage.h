// Opening a web page in the user's browser, the "open" of the desktop shell.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Only "http://" and "https://" addresses (the scheme in any case) are handed to the shell:
// anything else (a program, a file, a command) could be started by it.
inline bool IsWebAddress(std::wstring_view url) {
    const auto startsWith = [&](std::wstring_view scheme) {
        if (url.size() <= scheme.size()) return false;
        for (std::size_t i = 0; i < scheme.size(); ++i) {
            const wchar_t c = url[i] >= L'A' && url[i] <= L'Z' ? url[i] - L'A' + L'a' : url[i];
            if (c != scheme[i]) return false;
        }
        return true;
    };
    return startsWith(L"http://") || startsWith(L"https://");
}

// Starts the desktop's handler for `url` and does not wait for it; false when `url` is not a web
// address or nothing could be started.
bool OpenWebPage(const std::wstring& url);

}  // namespace platform
