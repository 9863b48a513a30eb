#include "sys/DottedVersion.h"

namespace FuntionImpl {

std::optional<DottedVersion> ParseDottedVersion(std::string_view text) {
    DottedVersion version{};
    std::size_t part = 0;
    std::size_t digits = 0;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c == '.') {
            if (digits == 0 || ++part == version.size()) return std::nullopt;
            digits = 0;
            value = 0;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (++digits > 5 || value > 0xFFFF) return std::nullopt;
        version[part] = static_cast<std::uint16_t>(value);
    }
    if (digits == 0) return std::nullopt;
    return version;
}

}  // namespace FuntionImpl
