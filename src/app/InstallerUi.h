// The installer's windows behind the run sequence's seam: the main window and the start-up
// message boxes of the skin package, on the toolkit's GTK shell.
#pragma once

#include "app/StartupUi.h"

namespace app {

class InstallerUi : public IStartupUi {
public:
    void ShowStartupBox(std::int32_t kind, std::int32_t languageIndex) override;
    bool OpenMainWindow(const std::wstring& caption, std::uint32_t) override;
    void RunMessageLoop() override;
    void BringMainWindowToFront() override;
    void ShutDownToolkit() override;
};

}  // namespace app
