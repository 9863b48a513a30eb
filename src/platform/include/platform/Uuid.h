// New random GUIDs, for the ids reports carry.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace platform {

// The 16 bytes in the order of the GUID's text form: Data1, Data2 and Data3 most significant
// byte first, then Data4 as it stands.
using Uuid = std::array<std::uint8_t, 16>;

// A new GUID; nothing when the system cannot make one.
std::optional<Uuid> NewUuid();

}  // namespace platform
