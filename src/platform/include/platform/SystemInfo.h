// Facts about the machine: operating system, word size, identifiers that telemetry uses.
#pragma once

#include <string>

namespace platform {

struct OsVersion {
    // Windows: "Windows 10", "Windows 11", "Windows 7", ... (the kernel's true version, with the
    // product type); Linux: the os-release PRETTY_NAME, else NAME, else "Linux".
    std::string name;
    // The kernel's version. Linux reports 10.0, so no branch for an old Windows ever applies.
    unsigned major = 10;
    unsigned minor = 0;
    unsigned build = 0;
    bool workstation = true;  // not a server edition
};

// Windows: RtlGetVersion and the product type; Linux: /etc/os-release (else /usr/lib/os-release).
OsVersion ReadOsVersion();

// True on a 64-bit machine (the kernel's machine, not only this process's word size).
// Windows: a 64-bit process, or a 32-bit one under WOW64 (IsWow64Process).
bool Is64BitSystem();

unsigned ProcessorCount();

// An identifier of the machine, else empty. Linux: /etc/machine-id (32 hex digits), else
// /var/lib/dbus/machine-id. Windows: the GUID of the volume that holds the Windows folder, the
// text between its braces ("8f3a...-...").
std::string MachineId();

// An identifier of the system volume, else empty. Linux: the UUID of the file system mounted at
// "/" (from /dev/disk/by-uuid). Windows: the serial number of the volume that holds the Windows
// folder, in upper-case hexadecimal without leading zeros ("%X").
std::string SystemVolumeId();

// MAC address ("aa:bb:cc:dd:ee:ff") of the interface of the default route, else empty. Windows:
// the adapter of the best interface towards 8.8.8.8 (GetBestInterface, GetAdaptersInfo); when
// there is none, the first wired or wireless adapter that is neither Bluetooth nor virtual.
std::string DefaultRouteMac();

std::string ComputerName();

}  // namespace platform
