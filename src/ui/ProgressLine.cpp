#include "ui/ProgressLine.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace ui {
namespace {

// Length of a floating-point conversion starting at format[at] == '%', or 0.
std::size_t FloatConversionLength(const std::string& format, std::size_t at) {
    std::size_t i = at + 1;
    while (i < format.size() && std::strchr("-+ #0", format[i])) ++i;
    std::size_t digits = 0;
    while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])) && digits < 3)
        ++i, ++digits;
    if (i < format.size() && format[i] == '.') {
        ++i;
        digits = 0;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])) &&
               digits < 2)
            ++i, ++digits;
    }
    if (i < format.size() && std::strchr("fFeEgG", format[i])) return i + 1 - at;
    return 0;
}

}  // namespace

std::string FormatProgressLine(const std::string& format, double percent) {
    std::string line;
    bool filled = false;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] != '%') {
            line += format[i++];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            line += '%';
            i += 2;
            continue;
        }
        const std::size_t length = filled ? 0 : FloatConversionLength(format, i);
        if (length == 0) {
            line += format[i++];
            continue;
        }
        char number[512];
        std::snprintf(number, sizeof number, format.substr(i, length).c_str(), percent);
        line += number;
        filled = true;
        i += length;
    }
    return line;
}

}  // namespace ui
