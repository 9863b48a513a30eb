#include "install/AppIsRunning.h"

#include "config/CConfigure.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {

bool AppIsRunning(IInstallPage& window) { return AppIsRunning(window, platform::ListProcesses()); }

bool AppIsRunning(IInstallPage& window,
                  const std::optional<std::vector<platform::RunningProcess>>& processes) {
    CVD_LOG << "check app runing";
    if (!processes || processes->empty()) return false;
    const std::wstring processName = CConfigure::Instance().GetProcess_name();
    for (std::size_t i = 1; i < processes->size(); ++i) {
        const platform::RunningProcess& entry = (*processes)[i];
        if (entry.exeName != processName) continue;
        CVD_LOG << " " << FuntionImpl::Utf16ToUtf8(entry.exeName) << " "
                << FuntionImpl::Utf16ToUtf8(processName) << " " << entry.pid;
        window.ShowMessageBox(static_cast<std::int32_t>(BoxKind::ProductRunning), true);
        return false;
    }
    return true;
}

}  // namespace install
