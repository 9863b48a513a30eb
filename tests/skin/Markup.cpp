#include "Markup.h"

#include <cctype>
#include <cstdlib>

namespace cvdtest {

namespace {

constexpr std::string_view kPaired = "fcuap";

bool IsHexColour(std::string_view value) {
    if (value.size() != 7 || value[0] != '#') return false;
    for (char ch : value.substr(1))
        if (!std::isxdigit(static_cast<unsigned char>(ch))) return false;
    return true;
}

bool IsNumber(std::string_view value) {
    if (value.empty()) return false;
    for (char ch : value)
        if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    return true;
}

// Applies one tag body (the text between the braces) to the open-tag stack.
void ApplyTag(std::string_view body, std::string& open, MarkupScan& scan) {
    const std::string shown = "{" + std::string(body) + "}";
    if (body.size() == 2 && body[0] == '/' && kPaired.find(body[1]) != std::string_view::npos) {
        const auto at = open.rfind(body[1]);
        if (at != std::string::npos) open.erase(at, 1);
        return;
    }
    if (body == "/n" || body == "n") return;
    if (body.empty()) {
        scan.errors.push_back("empty tag {}");
        return;
    }
    const char letter = body[0];
    const std::string_view argument = body.size() > 2 ? body.substr(2) : std::string_view();
    if (body.size() > 1 && body[1] != ' ') {
        scan.errors.push_back("unknown tag " + shown);
        return;
    }
    switch (letter) {
        case 'f':
            if (!IsNumber(argument)) scan.errors.push_back("font tag without an id: " + shown);
            else scan.fonts.push_back(std::atoi(std::string(argument).c_str()));
            break;
        case 'c':
            if (!IsHexColour(argument)) scan.errors.push_back("colour is not #RRGGBB: " + shown);
            break;
        case 'u':
        case 'p':
        case 'a':
            if (!argument.empty()) scan.errors.push_back("unexpected argument: " + shown);
            if (letter == 'a') ++scan.links;
            break;
        default:
            scan.errors.push_back("unknown tag " + shown);
            return;
    }
    open.push_back(letter);
}

}  // namespace

MarkupScan ScanMarkup(std::string_view text) {
    MarkupScan scan;
    std::string open;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '}') {
            scan.errors.push_back("stray '}' at " + std::to_string(i));
            continue;
        }
        if (text[i] != '{') continue;
        const auto end = text.find_first_of("{}", i + 1);
        if (end == std::string_view::npos || text[end] != '}') {
            scan.errors.push_back("unterminated tag at " + std::to_string(i));
            continue;
        }
        ApplyTag(text.substr(i + 1, end - i - 1), open, scan);
        i = end;
    }
    for (char letter : open) scan.errors.push_back(std::string("{") + letter + "} left open");
    return scan;
}

std::vector<std::string> PrintfConversions(std::string_view text) {
    std::vector<std::string> conversions;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < text.size() && std::string_view("-+ #0").find(text[j]) != std::string_view::npos) ++j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
        if (j < text.size() && text[j] == '.') {
            ++j;
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
        }
        const bool valid = j < text.size() && std::isalpha(static_cast<unsigned char>(text[j]));
        conversions.emplace_back(text.substr(i, valid ? j - i + 1 : j - i));
        i = valid ? j : j - 1;
    }
    return conversions;
}

}  // namespace cvdtest
