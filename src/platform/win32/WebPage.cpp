// Windows implementation: ShellExecuteW "open", normal window.
#include "platform/WebPage.h"

#include <windows.h>
// The headers below build on the types windows.h declares.
#include <shellapi.h>

namespace platform {

bool OpenWebPage(const std::wstring& url) {
    if (!IsWebAddress(url)) return false;
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success (the documented contract of ShellExecute).
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace platform
