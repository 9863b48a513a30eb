// Finding and activating the window of the first instance from a second process.
//
// Windows: the window is found by its class (FindWindowW) and switched to (SwitchToThisWindow)
// by the second process itself; no listener is needed, and Listen gives nullptr.
//
// Linux: the first instance listens on a Unix socket named after its window class in
// RuntimeFolder(); "find the window" is a connection, "switch to it" a one-line request that the
// listener answers after it has asked its window to come to the front.
//
// Threading: the listener accepts on a thread of its own and calls `onActivate` there; the
// callee hands the work to its UI thread. Dropping the listener stops that thread and removes
// the socket. Only the instance that owns the single-instance lock should listen, so two
// listeners never fight over one name.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

class WindowActivationListener {
public:
    // Listens for `windowClass`; nullptr when the socket cannot be made.
    static std::unique_ptr<WindowActivationListener> Listen(const std::wstring& windowClass,
                                                            std::function<void()> onActivate);
    ~WindowActivationListener();
    WindowActivationListener(const WindowActivationListener&) = delete;
    WindowActivationListener& operator=(const WindowActivationListener&) = delete;

    struct State;

private:
    explicit WindowActivationListener(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

enum class ActivationResult {
    NoWindow,   // nobody listens (no window yet, or its process has ended)
    Activated,  // the listener asked its window to come to the front
};

// Asks the window of `windowClass` to come to the front, waiting at most `timeoutMs`.
ActivationResult ActivateWindow(const std::wstring& windowClass, unsigned timeoutMs = 2000);

}  // namespace platform
