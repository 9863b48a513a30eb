#include "shell/win32/Win32Loop.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>

#include "shell/NativeWindow.h"

namespace toolkit {
namespace {

constexpr UINT kRunTasks = WM_APP + 0x70;

struct TaskQueue {
    std::mutex mutex;
    std::deque<std::function<void()>> tasks;
    HWND window = nullptr;
};

TaskQueue& Tasks() {
    static TaskQueue queue;
    return queue;
}

std::atomic<bool> g_quit{false};
std::atomic<int> g_code{0};

void RunTasks() {
    std::deque<std::function<void()>> batch;
    {
        // Swapped out so tasks run without the lock and may post again.
        std::lock_guard lock(Tasks().mutex);
        batch.swap(Tasks().tasks);
    }
    for (auto& task : batch) task();
}

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTasks) {
        RunTasks();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// One message: false when WM_QUIT arrived.
bool DispatchOne() {
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

}  // namespace

void PostToUiThread(std::function<void()> task) {
    TaskQueue& queue = Tasks();
    std::lock_guard lock(queue.mutex);
    const bool wake = queue.tasks.empty();
    queue.tasks.push_back(std::move(task));
    if (wake && queue.window) PostMessageW(queue.window, kRunTasks, 0, 0);
}

bool win32::StartTaskWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TaskWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CV_UI_Tasks";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    if (!window) return false;
    std::lock_guard lock(Tasks().mutex);
    Tasks().window = window;
    if (!Tasks().tasks.empty()) PostMessageW(window, kRunTasks, 0, 0);
    return true;
}

int win32::RunMainLoop() {
    g_quit = false;
    while (!g_quit && DispatchOne()) {
    }
    return g_code;
}

void win32::QuitMainLoop(int code) {
    g_code = code;
    g_quit = true;
    // Wake the loop so it sees the flag.
    PostToUiThread([] {});
}

struct NestedLoop::State {
    bool quit = false;
};

NestedLoop::NestedLoop() : state_(std::make_unique<State>()) {}
NestedLoop::~NestedLoop() = default;

void NestedLoop::Run() {
    while (!state_->quit && DispatchOne()) {
    }
}

void NestedLoop::Quit() {
    state_->quit = true;
    PostToUiThread([] {});
}

}  // namespace toolkit
