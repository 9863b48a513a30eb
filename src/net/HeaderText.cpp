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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits at `at`, advancing it; nothing without digits or when the value would overflow.
std::optional<long long> TakeNumber(std::string_view text, std::size_t& at) {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    const std::size_t from = at;
    long long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        const int digit = text[at] - '0';
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (at == from) return std::nullopt;
    return value;
}

bool Take(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    std::size_t at = 0;
    SkipBlanks(value, at);
    if (!StartsWithNoCase(value, at, "bytes")) return std::nullopt;
    at += 5;
    const std::size_t unitEnd = at;
    SkipBlanks(value, at);
    if (at == unitEnd) return std::nullopt;
    ContentRange range;
    const auto first = TakeNumber(value, at);
    if (!first || !Take(value, at, '-')) return std::nullopt;
    const auto last = TakeNumber(value, at);
    if (!last || !Take(value, at, '/')) return std::nullopt;
    const auto total = TakeNumber(value, at);
    if (!total) return std::nullopt;
    SkipBlanks(value, at);
    const std::string_view rest = value.substr(at);
    if (!rest.empty() && rest != "\r\n" && rest != "\n") return std::nullopt;
    if (*first > *last || *last >= *total) return std::nullopt;
    range.first = *first;
    range.last = *last;
    range.total = *total;
    return range;
}

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

std::string HeaderValue(std::string_view text, std::string_view name) {
    const std::size_t at = FindHeader(text, name);
    if (at == std::string_view::npos) return {};
    const std::string value = ValueUntilLineEnd(text, at + name.size());
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t\r\n");
    if (first == std::string::npos || value.size() > 256) return {};
    return value.substr(first, last - first + 1);
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
