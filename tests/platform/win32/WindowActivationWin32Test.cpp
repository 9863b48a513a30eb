#include <gtest/gtest.h>
#include <windows.h>

#include "platform/WindowActivation.h"

namespace {

TEST(WindowActivation, TheSecondInstanceFindsTheWindowByItsClass) {
    EXPECT_EQ(platform::WindowActivationListener::Listen(L"CV_UI_Frame_test", [] {}), nullptr)
        << "nobody needs to listen";
    EXPECT_EQ(platform::ActivateWindow(L"CV_UI_Frame_nobody_uses_this"),
              platform::ActivationResult::NoWindow);

    const wchar_t* windowClass = L"CV_UI_Frame_platform_test";
    WNDCLASSW description{};
    description.lpfnWndProc = ::DefWindowProcW;
    description.hInstance = ::GetModuleHandleW(nullptr);
    description.lpszClassName = windowClass;
    if (!::RegisterClassW(&description)) GTEST_SKIP() << "no window station";
    HWND window = ::CreateWindowExW(0, windowClass, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, description.hInstance, nullptr);
    if (!window) GTEST_SKIP() << "no display to make a window on";
    EXPECT_EQ(platform::ActivateWindow(windowClass), platform::ActivationResult::Activated);
    ::DestroyWindow(window);
    ::UnregisterClassW(windowClass, description.hInstance);
}

}  // namespace
