// What the install flow asks of the main window on the UI thread: the pre-install checks, the
// folder re-check and the product start run there, show boxes, rewrite the folder field, turn
// the window to its running page and close it. The window implements this next to
// IInstallWindow; `install/` never includes `ui/`, so the window's own classes stay out of here.
//
// Threading: every member is called on the UI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "install/InstallWindow.h"

namespace install {

// Box kinds of the message box the flow shows (the EnumMsgType values it uses).
enum class BoxKind : std::int32_t {
    ProductRunning = 3,
    InvalidPath = 4,
    ShortcutToLaunch = 12,
    NotEnoughSpace = 11,
};

// What the waiting animation window needs to start the product itself.
struct WaitingStart {
    std::int32_t adminFlag = 0;
    std::wstring arguments;
    std::int32_t languageIndex = 0;
    std::int32_t gifDuration = 0;
    std::wstring softwareName;
    std::wstring softwareVersion;
    std::wstring quotedMainExe;
};

class IInstallUi : public IInstallWindow {
public:
    // A box owned by the main window; its answer is not used by the flow.
    virtual void ShowMessageBox(BoxKind kind) = 0;
    // Rewrites the window's install path and its folder field.
    virtual void SetInstallPath(const std::wstring& path) = 0;
    // The folder field's current text.
    virtual std::wstring GetInstallPathEditText() const = 0;
    // The running page: tab 1, progress 0, settings folded, the ok layout shown.
    virtual void ShowRunningPage() = 0;
    // Starts the banner thread unless the banners have already arrived.
    virtual void StartBannerThreadIfNeeded() = 0;
    virtual void BeginBannerPlay() = 0;
    // Remembers that the product was started (the closing records it).
    virtual void SetProductStarted() = 0;
    virtual void HideWindow() = 0;
    // Shows the waiting animation modally; it starts the product when it ends.
    virtual void ShowWaitingWindow(const WaitingStart& start) = 0;
    virtual void RequestClose() = 0;
};

}  // namespace install
