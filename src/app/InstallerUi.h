// The installer's windows behind the run sequence's seam: the main window and the start-up
// message boxes of the skin package, on the toolkit's shell (GTK or Win32).
//
// Threading: UI thread, except BringMainWindowToFront (any thread).
#pragma once

#include <memory>

#include "app/StartupUi.h"

class InstallUIMainWnd;
namespace install {
class IInstallTasks;
}

namespace app {

class InstallerUi : public IStartupUi {
public:
    // `tasks` is the install flow behind the window's clicks.
    explicit InstallerUi(std::shared_ptr<install::IInstallTasks> tasks);
    ~InstallerUi() override;

    void ShowStartupBox(std::int32_t kind, std::int32_t languageIndex) override;
    bool OpenMainWindow(const std::wstring& caption, std::uint32_t startTick) override;
    void RunMessageLoop() override;
    void BringMainWindowToFront() override;
    void ShutDownToolkit() override;

private:
    std::shared_ptr<install::IInstallTasks> tasks_;
    std::unique_ptr<InstallUIMainWnd> window_;
};

}  // namespace app
