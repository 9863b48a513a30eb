// The small borderless window that plays a looping frame animation while the installed product
// starts. It starts the product on a thread of its own, keeps animating for the configured
// seconds (or, when the start failed, reports it and asks the user to use the desktop shortcut)
// and then closes itself.
//
// Threading: the window, its frame timer and its modal loop run on the UI thread. The run thread
// only starts the product, sends events, shows the failure box (on the UI thread, waiting for it),
// sleeps and posts the close through the window's message port.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/WindowBase.h"

class CAlientWnd : public toolkit::WindowBase {
public:
    static constexpr int kFrameTimer = 1000;
    static constexpr unsigned kFrameMs = 50;
    static constexpr int kFrameCount = 21;

    // What StartTargetMainExe takes: the quoted executable, the rights flag and the arguments.
    // 0 = started.
    using ProductStarter = std::function<std::int32_t(
        const std::wstring& quotedExe, std::int32_t admin, const std::wstring& args)>;
    struct StartData {
        std::wstring quotedExe;
        std::wstring args;
        std::int32_t admin = 0;
        std::wstring caption;
        std::int32_t waitSeconds = 0;
        std::int32_t languageIndex = 0;
    };

    CAlientWnd(StartData data, ProductStarter starter);
    ~CAlientWnd() override;

    // Creates the window at the screen's centre and runs it until it closes.
    void ShowModalWindow();

    // The frame picture shown for `frame`: "skin/gif/bg00.png" … "skin/gif/bg20.png".
    static std::string FramePicture(std::uint64_t frame);
    static std::uint64_t FrameCounter();

protected:
    std::string GetWindowClassName() const override { return "CALIENTWND_UI_Frame"; }
    std::string GetSkinFile() override { return "transWnd.xml"; }
    void InitWindow() override;
    void OnClick(toolkit::NotifyMsg& msg) override;
    bool OnTimer(int id) override;

private:
    void RunApp();

    StartData data_;
    ProductStarter starter_;
    toolkit::Control* foreImage_ = nullptr;
};
