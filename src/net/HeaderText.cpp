#include "net/HeaderText.h"

#include <cctype>
#include <limits>

namespace HeaderText {
namespace {

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view name) {
    if (text.size() - at < name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[at + i]);
        const auto b = static_cast<unsigned char>(name[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

}  // namespace

std::size_t FindHeader(std::string_view text, std::string_view name) {
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        if (StartsWithNoCase(text, lineStart, name)) return lineStart;
        const std::size_t newline = text.find('\n', lineStart);
        if (newline == std::string_view::npos) break;
        lineStart = newline + 1;
    }
    return std::string_view::npos;
}

std::string ValueUntilLineEnd(std::string_view text, std::size_t from) {
    if (from >= text.size()) return {};
    // Servers that end lines with a bare LF exist: the value must never run into the next line.
    std::string_view value = text.substr(from, text.find('\n', from) - from);
    if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    return std::string(value);
}

std::string ValueAfterName(std::string_view text, std::size_t at, std::size_t nameLength) {
    std::size_t from = at + nameLength;
    while (from < text.size() && (text[from] == ' ' || text[from] == '\t')) ++from;
    return ValueUntilLineEnd(text, from);
}

long long ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    long long value = 0;
    constexpr long long kMax = std::numeric_limits<long long>::max();
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10) return kMax;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace HeaderText
