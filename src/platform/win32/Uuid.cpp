// Windows implementation: UuidCreate. The GUID's first three fields are little-endian numbers
// in memory, so they are written out most significant byte first.
#include "platform/Uuid.h"

#include <windows.h>
// The headers below build on the types windows.h declares.
#include <rpc.h>

namespace platform {

std::optional<Uuid> NewUuid() {
    UUID id{};
    const RPC_STATUS status = UuidCreate(&id);
    // A GUID unique to this machine only is still a fine report id.
    if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY) return std::nullopt;
    Uuid bytes{};
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(id.Data1 >> (24 - 8 * i));
    bytes[4] = static_cast<std::uint8_t>(id.Data2 >> 8);
    bytes[5] = static_cast<std::uint8_t>(id.Data2);
    bytes[6] = static_cast<std::uint8_t>(id.Data3 >> 8);
    bytes[7] = static_cast<std::uint8_t>(id.Data3);
    for (int i = 0; i < 8; ++i) bytes[8 + i] = id.Data4[i];
    return bytes;
}

}  // namespace platform
