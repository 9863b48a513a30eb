// The demo products on Windows: a small window that says which product is installed and its
// version, as on Linux. Each start is recorded first, with the command line it got, in
// %LOCALAPPDATA%\ZorvikDemo\started.log, so a test or a demo can tell that the installer
// started it (and with which arguments) without looking at the screen. "--version" prints the
// name and version and ends.
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kName[] = L"" CVD_PRODUCT_NAME;
constexpr wchar_t kVersion[] = L"" CVD_PRODUCT_VERSION;

void WriteUtf8(HANDLE file, const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                          nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void RecordStart() {
    wchar_t local[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring folder = std::wstring(local) + L"\\ZorvikDemo";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const HANDLE file = ::CreateFileW((folder + L"\\started.log").c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteUtf8(file, std::wstring(kName) + L" " + kVersion + L" started: " + ::GetCommandLineW() +
                        L"\r\n");
    ::CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int ShowWindowSayingTheVersion(HINSTANCE instance, int show) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"ZorvikDemoProduct";
    if (!::RegisterClassW(&windowClass)) return 0;
    HWND window =
        ::CreateWindowExW(0, windowClass.lpszClassName, kName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 420, 160, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;  // no desktop to show it on: the start is recorded all the same
    const std::wstring text =
        std::wstring(kName) + L"\r\n\r\nVersion " + kVersion + L" is installed.";
    ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 20, 384,
                      80, window, nullptr, instance, nullptr);
    ::ShowWindow(window, show);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    if (std::wstring(commandLine).find(L"--version") != std::wstring::npos) {
        WriteUtf8(::GetStdHandle(STD_OUTPUT_HANDLE), std::wstring(kName) + L" " + kVersion + L"\n");
        return 0;
    }
    RecordStart();
    return ShowWindowSayingTheVersion(instance, show);
}
