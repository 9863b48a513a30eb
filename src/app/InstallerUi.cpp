#include "app/InstallerUi.h"

#include "platform/DebugOutput.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Shell.h"

namespace app {

// The main window and the message box join here once they are part of the program; until then
// the installer reports that it has no window and ends through the normal shut-down.
void InstallerUi::ShowStartupBox(std::int32_t kind, std::int32_t) {
    platform::DebugOutput(L"message box " + std::to_wstring(kind) +
                          L" not available in this build");
}

bool InstallerUi::OpenMainWindow(const std::wstring&, std::uint32_t) {
    platform::DebugOutput(L"main window not available in this build");
    return false;
}

void InstallerUi::RunMessageLoop() { toolkit::RunMessageLoop(); }

void InstallerUi::BringMainWindowToFront() {}

void InstallerUi::ShutDownToolkit() { toolkit::ResourceManager::Instance().Release(); }

}  // namespace app
