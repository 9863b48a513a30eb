// Windows implementation: the kernel's true version (RtlGetVersion), WOW64, the volume of the
// Windows folder, the adapter of the best route, the computer name.
#include "platform/SystemInfo.h"

// winsock2.h before windows.h (which would bring in the old winsock.h), and both before the
// headers that need their types.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <cstdio>
#include <thread>
#include <vector>

#include "WinSupport.h"
#include "platform/Text.h"

namespace platform {
namespace {

constexpr DWORD kWindows11Build = 22000;

struct VersionName {
    unsigned major, minor;
    const char* workstation;
    const char* server;
};

constexpr VersionName kVersionNames[] = {
    {10, 0, "Windows 10", "Windows Server 2016 Technical Preview"},
    {6, 3, "Windows 8.1", "Windows Server 2012 R2"},
    {6, 2, "Windows 8", "Windows Server 2012"},
    {6, 1, "Windows 7", "Windows Server 2008 R2"},
    {6, 0, "Windows Vista", "Windows Server 2008"},
    {5, 1, "Windows XP", "Windows XP"},
    {5, 0, "Windows 2000", "Windows 2000"},
};

// Windows 5.2 is XP x64 on a workstation, else Server 2003 (R2 when the system says so).
std::string Windows52Name(bool workstation) {
    SYSTEM_INFO system{};
    ::GetNativeSystemInfo(&system);
    if (workstation && system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64)
        return "Windows XP Professional x64 Edition";
    return ::GetSystemMetrics(SM_SERVERR2) ? "Windows Server 2003 R2" : "Windows Server 2003";
}

std::string NameOf(const OsVersion& version) {
    if (version.major == 10 && version.minor == 0 && version.workstation &&
        version.build >= kWindows11Build)
        return "Windows 11";
    if (version.major == 5 && version.minor == 2) return Windows52Name(version.workstation);
    for (const VersionName& row : kVersionNames)
        if (row.major == version.major && row.minor == version.minor)
            return version.workstation ? row.workstation : row.server;
    return "unknown OperatingSystem.";
}

// The volume of the Windows folder: its drive root ("C:\").
std::wstring SystemDriveRoot() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
    if (length < 3 || length >= MAX_PATH) return {};
    return std::wstring(folder, 3);
}

std::string MacText(const BYTE* address, UINT length) {
    if (length != 6) return {};
    bool allZero = true;
    for (UINT i = 0; i < length; ++i) allZero = allZero && address[i] == 0;
    if (allZero) return {};
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", address[0], address[1],
                  address[2], address[3], address[4], address[5]);
    return text;
}

std::vector<BYTE> AdapterList() {
    ULONG size = sizeof(IP_ADAPTER_INFO);
    std::vector<BYTE> buffer(size);
    ULONG status = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    if (status == ERROR_BUFFER_OVERFLOW) {
        buffer.resize(size);
        status = ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (status != ERROR_SUCCESS) buffer.clear();
    return buffer;
}

// Without a best route: a wired or wireless adapter that is neither Bluetooth nor virtual.
bool IsLikelyPhysical(const IP_ADAPTER_INFO& adapter) {
    const std::string description = adapter.Description;
    const bool kind = description.find("PCI") != std::string::npos ||
                      adapter.Type == MIB_IF_TYPE_ETHERNET || adapter.Type == IF_TYPE_IEEE80211;
    return kind && description.find("Bluetooth") == std::string::npos &&
           description.find("Virtual") == std::string::npos && adapter.AddressLength == 6;
}

}  // namespace

OsVersion ReadOsVersion() {
    OsVersion version;
    using RtlGetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    // Through void*: a FARPROC takes no arguments, so a direct cast draws a warning.
    const auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(
                                        ::GetProcAddress(ntdll, "RtlGetVersion")))
                                  : nullptr;
    RTL_OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!getVersion || getVersion(&info) != 0) {
        version.name = "unknown OperatingSystem.";
        version.major = version.minor = 0;
        return version;
    }
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.workstation = info.wProductType == VER_NT_WORKSTATION;
    version.name = NameOf(version);
    return version;
}

bool Is64BitSystem() {
    if (sizeof(void*) == 8) return true;  // a 64-bit process needs a 64-bit system
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

unsigned ProcessorCount() {
    const unsigned count = std::thread::hardware_concurrency();
    return count ? count : 1;
}

std::string MachineId() {
    const std::wstring root = SystemDriveRoot();
    wchar_t name[64] = {};
    if (root.empty() || !::GetVolumeNameForVolumeMountPointW(root.c_str(), name, 64)) return {};
    const std::wstring text = name;  // the volume's GUID path: \\?\Volume{...}
    const std::size_t open = text.find(L'{'), close = text.find(L'}');
    if (open == std::wstring::npos || close == std::wstring::npos || close < open) return {};
    return WideToUtf8(text.substr(open + 1, close - open - 1));
}

std::string SystemVolumeId() {
    const std::wstring root = SystemDriveRoot();
    DWORD serial = 0;
    if (root.empty() ||
        !::GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(serial));
    return text;
}

std::string DefaultRouteMac() {
    DWORD best = 0;
    const bool routed = ::GetBestInterface(::inet_addr("8.8.8.8"), &best) == NO_ERROR;
    const std::vector<BYTE> list = AdapterList();
    if (list.empty()) return {};
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(list.data()); adapter;
         adapter = adapter->Next) {
        if (routed ? adapter->Index == best : IsLikelyPhysical(*adapter))
            return MacText(adapter->Address, adapter->AddressLength);
    }
    return {};
}

std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &length)) return {};
    return WideToUtf8(std::wstring(name, length));
}

}  // namespace platform
