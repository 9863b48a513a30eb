// A second start as the installer makes it: finds the first window by its class and brings it
// forward. Exit code 0 when a window was activated, 1 when none was found, 2 on bad usage.
#include <string>

#include "platform/WindowActivation.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const std::wstring windowClass = argv[1];
    return platform::ActivateWindow(windowClass) == platform::ActivationResult::Activated ? 0 : 1;
}
