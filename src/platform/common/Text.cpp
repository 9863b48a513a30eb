// Portable: wide text is UTF-32 where wchar_t has 32 bits (Linux) and UTF-16 where it has 16
// (Windows); both convert to and from UTF-8 through code points.
#include "platform/Text.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kUtf16 = sizeof(wchar_t) == 2;

bool IsHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsScalarValue(std::uint32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one well-formed sequence at `pos`; returns its length, or 0 when the byte at `pos`
// does not start one (overlong forms, surrogates, values above U+10FFFF, truncation).
std::size_t DecodeOne(std::string_view text, std::size_t pos, std::uint32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    std::size_t length;
    std::uint32_t minimum;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, c = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || !IsScalarValue(c)) return 0;
    return length;
}

// The code point at `pos`; `pos` moves past it. In UTF-16 a high surrogate followed by a low one
// is one code point; a surrogate without its partner stays a surrogate (and is ill-formed).
std::uint32_t NextCodePoint(std::wstring_view text, std::size_t& pos) {
    auto c = static_cast<std::uint32_t>(text[pos++]);
    if constexpr (kUtf16) {
        c &= 0xFFFF;
        if (IsHighSurrogate(c) && pos < text.size()) {
            const auto low = static_cast<std::uint32_t>(text[pos]) & 0xFFFF;
            if (IsLowSurrogate(low)) {
                ++pos;
                return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
        }
    }
    return c;
}

void AppendWide(std::wstring& out, std::uint32_t c) {
    if (kUtf16 && c >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::uint32_t c = NextCodePoint(text, pos);
        AppendUtf8(out, IsScalarValue(c) ? c : kReplacement);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::uint32_t c = 0;
        const std::size_t length = DecodeOne(text, pos, c);
        if (length == 0) {
            out += static_cast<wchar_t>(kReplacement);
            ++pos;  // one replacement per offending byte
        } else {
            AppendWide(out, c);
            pos += length;
        }
    }
    return out;
}

}  // namespace platform
