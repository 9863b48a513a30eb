// Facts about the machine: operating system, word size, identifiers that telemetry uses.
// Each reader has a parser over text so tests can feed it fixtures.
#pragma once

#include <string>
#include <string_view>

namespace platform {

struct OsRelease {
    std::string name;     // PRETTY_NAME, else NAME, else "Linux"
    std::string version;  // VERSION_ID, may be empty
};

OsRelease ReadOsRelease();  // /etc/os-release, else /usr/lib/os-release
OsRelease ParseOsRelease(std::string_view text);

// True on a 64-bit machine (the kernel's machine, not only this process's word size).
bool Is64BitSystem();

unsigned ProcessorCount();

// /etc/machine-id (32 hex digits), else /var/lib/dbus/machine-id, else empty.
std::string MachineId();

// UUID of the file system mounted at "/" (from /dev/disk/by-uuid), else empty.
std::string RootVolumeUuid();

// MAC address ("aa:bb:cc:dd:ee:ff") of the interface of the default route, else empty.
std::string DefaultRouteMac();
// The interface name of the default route in the text of /proc/net/route, else empty.
std::string ParseDefaultRouteInterface(std::string_view procNetRoute);

std::string ComputerName();

}  // namespace platform
