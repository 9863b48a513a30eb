#include "toolkit/ValueSyntax.h"

#include <cctype>
#include <cstdlib>

namespace toolkit {
namespace {

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return parts;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

int ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxDocumentNumber) value = kMaxDocumentNumber;
    }
    return static_cast<int>(negative ? -value : value);
}

bool ParseBool(std::string_view text) { return EqualsNoCase(Trim(text), "true"); }

Color ParseColor(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    Color value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = (value << 4) | static_cast<Color>(digit);
    }
    return value;
}

Rect ParseRect(std::string_view text) {
    int v[4] = {0, 0, 0, 0};
    const auto parts = SplitCommas(text);
    for (std::size_t i = 0; i < parts.size() && i < 4; ++i) v[i] = ParseInt(parts[i]);
    return {v[0], v[1], v[2], v[3]};
}

Size ParseSize(std::string_view text) {
    const auto parts = SplitCommas(text);
    return {ParseInt(parts[0]), parts.size() > 1 ? ParseInt(parts[1]) : 0};
}

Radii ParseRadii(std::string_view text) {
    const Size s = ParseSize(text);
    return {s.cx, s.cy == 0 ? s.cx : s.cy};
}

Rect ParseBorderSize(std::string_view text) {
    if (text.find(',') != std::string_view::npos) return ParseRect(text);
    const int width = ParseInt(text);
    return {width, width, width, width};
}

HAlign ParseHAlign(std::string_view text) {
    text = Trim(text);
    if (EqualsNoCase(text, "center")) return HAlign::Center;
    if (EqualsNoCase(text, "right")) return HAlign::Right;
    return HAlign::Left;
}

VAlign ParseVAlign(std::string_view text) {
    text = Trim(text);
    if (EqualsNoCase(text, "vcenter") || EqualsNoCase(text, "center")) return VAlign::Center;
    if (EqualsNoCase(text, "bottom")) return VAlign::Bottom;
    return VAlign::Top;
}

FloatAlign ParseFloatAlign(std::string_view text) {
    FloatAlign align;
    for (std::string_view word : SplitCommas(text)) {
        word = Trim(word);
        if (EqualsNoCase(word, "left"))
            align.left = true;
        else if (EqualsNoCase(word, "right"))
            align.right = true;
        else if (EqualsNoCase(word, "top"))
            align.top = true;
        else if (EqualsNoCase(word, "bottom"))
            align.bottom = true;
    }
    return align;
}

AttributeList ParseAttributeList(std::string_view text) {
    AttributeList list;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && text[i] != '=' &&
               !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::string name(text.substr(nameStart, i - nameStart));
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size() || text[i] != '=') break;
        ++i;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size() || (text[i] != '\'' && text[i] != '"')) break;
        const char quote = text[i++];
        const std::size_t close = text.find(quote, i);
        if (close == std::string_view::npos) break;
        list.emplace_back(std::move(name), std::string(text.substr(i, close - i)));
        i = close + 1;
    }
    return list;
}

}  // namespace toolkit
