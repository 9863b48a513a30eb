// The run sequence's windows on Windows, where the toolkit has no window backend yet: every
// window request is logged and declined, so the program starts, finds it cannot show its main
// window and ends through the normal shut-down. The Windows window backend replaces it.
#pragma once

#include "app/StartupUi.h"

namespace app {

inline constexpr char kNoWindowBackendLine[] =
    "no window backend exists in this build yet: the main window cannot be shown";

class WindowlessUi : public IStartupUi {
public:
    void ShowStartupBox(std::int32_t kind, std::int32_t languageIndex) override;
    bool OpenMainWindow(const std::wstring& caption, std::uint32_t startTick) override;
    void RunMessageLoop() override {}
    void BringMainWindowToFront() override {}
    void ShutDownToolkit() override;
};

}  // namespace app
