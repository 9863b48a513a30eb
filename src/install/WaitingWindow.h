// The flow's side of the windows it shows on the UI thread: the box kinds it uses, and the
// waiting animation that starts the product itself. A window that can show the animation
// implements IWaitingWindowHost beside IInstallPage; without it the product starts at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace install {

// Message box kinds the flow shows (values of EnumMsgType).
enum class BoxKind : std::int32_t {
    ProductRunning = 3,
    InvalidPath = 4,
    NotEnoughSpace = 11,
    ShortcutToLaunch = 12,
};

// What the waiting animation window needs to start the product when it ends.
struct WaitingStart {
    std::int32_t adminFlag = 0;
    std::wstring arguments;
    std::int32_t languageIndex = 0;
    std::int32_t gifDuration = 0;
    std::wstring softwareName;
    std::wstring softwareVersion;
    std::wstring quotedMainExe;
    // How the product is started (StartTargetMainExe's contract: 0 started, -1 failed); empty
    // means StartTargetMainExe itself. Called on the waiting window's own thread.
    std::function<std::int32_t(const std::wstring& quotedExe, std::int32_t admin,
                               const std::wstring& args)>
        startMainExe;
};

// Threading: UI thread only.
class IWaitingWindowHost {
public:
    virtual ~IWaitingWindowHost() = default;
    virtual void HideWindow() = 0;
    // Shows the animation modally; returns once it has started the product and closed.
    virtual void ShowWaitingWindow(const WaitingStart& start) = 0;
};

}  // namespace install
