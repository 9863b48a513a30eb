#include "app/win32/WindowlessUi.h"

#include "sys/Log.h"
#include "toolkit/ResourceManager.h"

namespace app {

void WindowlessUi::ShowStartupBox(std::int32_t kind, std::int32_t languageIndex) {
    CVD_LOG << " start-up box " << kind << " (language " << languageIndex
            << ") not shown: no window backend exists in this build yet";
}

bool WindowlessUi::OpenMainWindow(const std::wstring&, std::uint32_t) {
    CVD_LOG << kNoWindowBackendLine;
    return false;
}

void WindowlessUi::ShutDownToolkit() { toolkit::ResourceManager::Instance().Release(); }

}  // namespace app
