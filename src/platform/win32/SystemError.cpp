// Windows implementation: GetLastError, whose sharing violation is already the file-in-use
// number.
#include "platform/SystemError.h"

#include <windows.h>

#include "platform/Text.h"

namespace platform {

static_assert(ERROR_SHARING_VIOLATION == kFileInUseError);

int FileNotFoundError() { return ERROR_FILE_NOT_FOUND; }

void ClearLastSystemError() { SetLastError(ERROR_SUCCESS); }

int LastSystemError() { return static_cast<int>(GetLastError()); }

std::string SystemErrorText(int error) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = length && message ? std::wstring(message, length) : L"Unknown error";
    if (message) LocalFree(message);
    // The system's messages end with a full stop and a line break.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return WideToUtf8(text) + " (" + std::to_string(error) + ")";
}

}  // namespace platform
