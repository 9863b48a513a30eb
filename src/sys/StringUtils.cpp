#include "sys/StringUtils.h"

#include <cstdio>
#include <cwctype>
#include <limits>

namespace FuntionImpl {
namespace {

// Shared by WToI and WToI64: _wtoi's grammar with saturation at the limits of Int.
template <typename Int>
Int ParseDecimal(const std::wstring& text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::iswspace(static_cast<wint_t>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        negative = text[pos] == L'-';
        ++pos;
    }
    // Accumulate towards the sign so that the minimum value needs no special case.
    constexpr Int kMax = std::numeric_limits<Int>::max();
    constexpr Int kMin = std::numeric_limits<Int>::min();
    Int value = 0;
    for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
        const Int digit = static_cast<Int>(text[pos] - L'0');
        if (negative) {
            if (value < (kMin + digit) / 10) return kMin;
            value = value * 10 - digit;
        } else {
            if (value > (kMax - digit) / 10) return kMax;
            value = value * 10 + digit;
        }
    }
    return value;
}

struct ByteUnit {
    std::uint64_t divisor;
    const char* name;
};

constexpr ByteUnit kByteUnits[] = {
    {1ull << 30, "GB"},
    {1ull << 20, "MB"},
    {1ull << 10, "KB"},
};

}  // namespace

int ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (text.empty() || from.empty()) return 0;
    int count = 0;
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
        ++count;
    }
    return count;
}

std::string FormatByteSize(std::uint64_t bytes) {
    char buffer[64];
    for (const ByteUnit& unit : kByteUnits) {
        if (bytes < unit.divisor) continue;
        if (bytes % unit.divisor == 0)
            std::snprintf(buffer, sizeof buffer, "%llu%s",
                          static_cast<unsigned long long>(bytes / unit.divisor), unit.name);
        else
            std::snprintf(buffer, sizeof buffer, "%.2f%s",
                          static_cast<double>(bytes) / static_cast<double>(unit.divisor),
                          unit.name);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%lluB", static_cast<unsigned long long>(bytes));
    return buffer;
}

std::wstring StripStampPrefix(const std::wstring& text) {
    constexpr std::size_t kStampLength = 20;
    if (text.size() > kStampLength && text[0] == L'2') return text.substr(kStampLength);
    return std::wstring();
}

int WToI(const std::wstring& text) { return ParseDecimal<int>(text); }

std::int64_t WToI64(const std::wstring& text) { return ParseDecimal<std::int64_t>(text); }

}  // namespace FuntionImpl
