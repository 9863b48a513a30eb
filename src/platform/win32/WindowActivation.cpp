// Windows implementation: the second instance finds the first one's window by its class and
// switches to it itself, so nobody needs to listen.
#include "platform/WindowActivation.h"

#include <windows.h>

namespace platform {

struct WindowActivationListener::State {};

std::unique_ptr<WindowActivationListener> WindowActivationListener::Listen(const std::wstring&,
                                                                           std::function<void()>) {
    return nullptr;
}

WindowActivationListener::WindowActivationListener(std::unique_ptr<State> state)
    : state_(std::move(state)) {}

WindowActivationListener::~WindowActivationListener() = default;

ActivationResult ActivateWindow(const std::wstring& windowClass, unsigned) {
    HWND window = ::FindWindowW(windowClass.c_str(), nullptr);
    if (!window) return ActivationResult::NoWindow;
    ::SwitchToThisWindow(window, TRUE);
    return ActivationResult::Activated;
}

}  // namespace platform
