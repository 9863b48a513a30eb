// The Win32 shell: start-up (COM for the folder browser, per-monitor DPI awareness), the message
// loop and the desktop services.
#include "toolkit/Shell.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/Display.h"
#include "platform/Text.h"
#include "shell/NativeWindow.h"
#include "shell/win32/Win32Loop.h"
#include "shell/win32/Win32Shell.h"

namespace toolkit {
namespace {

bool g_ready = false;
std::thread::id g_uiThread;

// Per-monitor awareness where the system has it (Windows 10), else system-wide awareness.
void BecomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto set = user32 ? reinterpret_cast<SetContext>(reinterpret_cast<void*>(
                            GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                      : nullptr;
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (!set || !set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) SetProcessDPIAware();
}

std::optional<platform::DisplayFacts> ReadDisplayFacts() {
    const int scale = win32::DeviceScaleOf(nullptr);
    return platform::DisplayFacts{static_cast<double>(scale), GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN)};
}

bool HasScheme(const std::string& url, std::initializer_list<const char*> schemes) {
    for (const char* scheme : schemes)
        if (url.rfind(scheme, 0) == 0) return true;
    return false;
}

}  // namespace

int win32::DeviceScaleOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto forWindow = user32 ? reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
                                  GetProcAddress(user32, "GetDpiForWindow")))
                            : nullptr;
    UINT dpi = 0;
    if (window && forWindow) dpi = forWindow(window);
    if (dpi == 0) {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }
    // Pictures exist at 1x and 2x: round to the nearest whole scale.
    return std::clamp(static_cast<int>((dpi + 48) / 96), 1, 4);
}

bool win32::DesktopComposed() {
    using IsComposed = HRESULT(WINAPI*)(BOOL*);
    static const bool composed = [] {
        HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        auto query = dwm ? reinterpret_cast<IsComposed>(reinterpret_cast<void*>(
                               GetProcAddress(dwm, "DwmIsCompositionEnabled")))
                         : nullptr;
        BOOL on = FALSE;
        return query && SUCCEEDED(query(&on)) && on;
    }();
    return composed;
}

bool InitShell() {
    if (g_ready) return true;
    // The folder browser wants a single-threaded apartment on the UI thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(com) && com != RPC_E_CHANGED_MODE) return false;
    BecomeDpiAware();
    if (!win32::StartTaskWindow()) return false;
    g_ready = true;
    g_uiThread = std::this_thread::get_id();
    platform::SetDisplayFactsSource(&ReadDisplayFacts);
    return true;
}

bool ShellReady() { return g_ready; }

int RunMessageLoop() {
    if (!InitShell()) return -1;
    return win32::RunMainLoop();
}

void QuitMessageLoop(int code) { win32::QuitMainLoop(code); }

void PumpMessages() {
    // What is pending now, each timer once: a timer due again before a slow paint ends would
    // otherwise keep the queue from ever running empty.
    std::set<std::pair<HWND, WPARAM>> timers;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const bool repeated =
            msg.message == WM_TIMER && !timers.insert({msg.hwnd, msg.wParam}).second;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (repeated) break;
    }
}

int InvokeOnUiThread(const std::function<int()>& task) {
    if (!g_ready || std::this_thread::get_id() == g_uiThread) return task();
    struct Invocation {
        int result = 0;
        bool done = false;
        std::mutex mutex;
        std::condition_variable cv;
    } call;
    PostToUiThread([&] {
        const int result = task();
        std::lock_guard lock(call.mutex);
        call.result = result;
        call.done = true;
        call.cv.notify_all();
    });
    std::unique_lock lock(call.mutex);
    call.cv.wait(lock, [&] { return call.done; });
    return call.result;
}

namespace {

// A thread timer has no window to carry data: the ticks are kept by timer id.
std::map<UINT_PTR, std::function<bool()>>& RepeatedTicks() {
    static std::map<UINT_PTR, std::function<bool()>> ticks;
    return ticks;
}

void CALLBACK OnRepeatTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    auto& ticks = RepeatedTicks();
    const auto it = ticks.find(timer);
    if (it == ticks.end()) return;
    if (!it->second()) {
        KillTimer(nullptr, timer);
        ticks.erase(timer);
    }
}

}  // namespace

void RepeatOnUiThread(unsigned intervalMs, std::function<bool()> tick) {
    const UINT_PTR id = SetTimer(nullptr, 0, intervalMs, &OnRepeatTimer);
    if (id) RepeatedTicks()[id] = std::move(tick);
}

Size ScreenSize() {
    if (!InitShell()) return {};
    const int scale = win32::DeviceScaleOf(nullptr);
    return {GetSystemMetrics(SM_CXSCREEN) / scale, GetSystemMetrics(SM_CYSCREEN) / scale};
}

bool OpenUrl(const std::string& url) {
    // Only web pages and files: any other text handed to the shell could start a program.
    if (url.empty() || !HasScheme(url, {"http://", "https://", "file:///"})) return false;
    const std::wstring wide = platform::Utf8ToWide(url);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

std::string FileUri(const std::string& path) {
    // Drive paths only ("C:\..." or "C:/...").
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
        (path[2] != '\\' && path[2] != '/'))
        return {};
    std::string uri = "file:///";
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : path) {
        if (c == '\\') c = '/';
        if (std::isalnum(c) || std::strchr("-._~/:", c)) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

bool ShowItemInFileManager(const std::string& fileUri) {
    if (fileUri.rfind("file:///", 0) != 0) return false;
    const std::wstring uri = platform::Utf8ToWide(fileUri);
    wchar_t path[MAX_PATH * 4];
    DWORD length = static_cast<DWORD>(std::size(path));
    if (FAILED(PathCreateFromUrlW(uri.c_str(), path, &length, 0))) return false;
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(path);
    if (!item) return OpenUrl(fileUri);
    const bool ok = SUCCEEDED(SHOpenFolderAndSelectItems(item, 0, nullptr, 0));
    ILFree(item);
    return ok;
}

std::optional<std::string> ChooseFolder(const std::string& title) {
    if (!InitShell()) return std::nullopt;
    Microsoft::WRL::ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(dialog.GetAddressOf()))))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(platform::Utf8ToWide(title).c_str());
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(dialog->Show(GetActiveWindow())) || FAILED(dialog->GetResult(item.GetAddressOf())))
        return std::nullopt;
    PWSTR name = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &name)) || !name) return std::nullopt;
    std::string chosen = platform::WideToUtf8(name);
    CoTaskMemFree(name);
    return chosen;
}

void ShowErrorBox(const std::string& title, const std::string& text) {
    if (!InitShell()) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    MessageBoxW(nullptr, platform::Utf8ToWide(text).c_str(), platform::Utf8ToWide(title).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace toolkit
