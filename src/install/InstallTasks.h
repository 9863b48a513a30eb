// What the main window hands to the install flow, and what the install flow may ask of the
// window while it runs on the UI thread. The window calls these at the points of its clicks and
// messages; the install flow provides the implementation. `install/` never includes `ui/`.
//
// Threading: every member of both interfaces is called on the UI thread.
#pragma once

#include <cstdint>
#include <string>

#include "install/InstallWindow.h"

namespace install {

// The window as the pre-install checks and the product start see it.
class IInstallPage : public IInstallWindow {
public:
    // Rewrites the install folder (and the folder field) after a check moved it.
    virtual void SetInstallPath(const std::wstring& path) = 0;
    // A message box of `kind` (0..15) owned by the window when `owned`; 1 yes/confirm, 2 no.
    virtual std::int32_t ShowMessageBox(std::int32_t kind, bool owned) = 0;
    // Turns the window to its running page: progress at 0, settings folded, the success view
    // prepared, the banner carousel playing.
    virtual void ShowRunningPage() = 0;
    // Whether the server banners have already arrived (the banner thread is not needed again).
    virtual bool IsBannerReady() const = 0;
    // Set once the product has been started; read when the window closes.
    virtual void SetProductStarted() = 0;
    // Asks the window to close (as its own close request).
    virtual void RequestClose() = 0;
};

class IInstallTasks {
public:
    virtual ~IInstallTasks() = default;
    // The checks before an install and the start of the install thread. 0 = started,
    // -1 = refused (the reason was already shown).
    virtual std::int32_t BeginInstallTask(IInstallPage& window) = 0;
    // The folder and space check, repeated when the install thread learnt the sizes late.
    virtual bool IsCorrectInstallPath(IInstallPage& window) = 0;
    // Starts the installed product (after the "Use Now" click).
    virtual void RunStartApp(IInstallPage& window) = 0;
    // Deletes the downloaded package and its task file.
    virtual void ClearAPPData() = 0;
    // Advances the counter of downloads refused for too many requests.
    virtual bool CountTooManyRequests() = 0;
};

}  // namespace install
