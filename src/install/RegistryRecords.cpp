#include "install/RegistryRecords.h"

#include "config/CConfigure.h"
#include "install/PathText.h"
#include "platform/Registry.h"
#include "sys/Log.h"
#include "sys/RegistryUtils.h"
#include "sys/StringUtils.h"

namespace install {

using platform::RegistryRoot;

std::wstring UninstallKey() {
    return L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
           CConfigure::Instance().GetSoftware_name();
}

std::optional<std::wstring> ReadUninstallValue(const std::wstring& name) {
    return platform::RegistryStore::Machine().ReadString(RegistryRoot::LocalMachine, UninstallKey(),
                                                         name);
}

bool WriteUninstallValue(const std::wstring& name, const std::wstring& text) {
    return platform::RegistryStore::Machine().WriteString(RegistryRoot::LocalMachine,
                                                          UninstallKey(), name, text);
}

bool CountTooManyRequests() {
    int count = 1;
    if (const auto text = ReadUninstallValue(kTooManyRequestsValue)) {
        const int n = FuntionImpl::WToI(*text);
        // A saturated counter stays where it is rather than wrapping negative.
        count = n < 1 ? 1 : (n == INT32_MAX ? n : n + 1);
    }
    return WriteUninstallValue(kTooManyRequestsValue, std::to_wstring(count));
}

bool MachineMarkerSet() {
    return !FuntionImpl::ReadRegistryString(RegistryRoot::LocalMachine, kMakerKey,
                                            kMachineMarkerValue)
                .empty();
}

void SetMachineMarker() {
    FuntionImpl::WriteRegistryString(RegistryRoot::LocalMachine, kMakerKey, kMachineMarkerValue,
                                     L"1");
}

void ClearAPPData() {
    CVD_LOG << "clear app data";
    CConfigure& config = CConfigure::Instance();
    const std::wstring package = config.GetWorkDirectory() + config.GetPackageFileName();
    DeleteFileQuietly(package);
    DeleteFileQuietly(package + L".xml");
}

}  // namespace install
