#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

TEST(Text, RoundTripsEveryEncodedLength) {
    const std::wstring text = L"A\u00e9\u4e2d\U0001F600";  // 1, 2, 3 and 4 bytes
    const std::string utf8 = WideToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide(utf8), text);
}

TEST(Text, BoundaryCodePointsRoundTrip) {
    std::wstring text = {L'\0',          wchar_t(0x7F),  wchar_t(0x80),
                         wchar_t(0x7FF), wchar_t(0x800), wchar_t(0xFFFF)};
    text += L"\U00010000\U0010FFFF";  // one wchar_t on Linux, a surrogate pair on Windows
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(WideToUtf8(L"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
}

// A low surrogate first and a high one last pair with nothing, in UTF-32 and UTF-16 alike.
TEST(Text, LoneSurrogatesBecomeReplacement) {
    const std::wstring text = {L'a', wchar_t(0xDFFF), wchar_t(0xD800), L'b', wchar_t(0xDBFF)};
    EXPECT_EQ(WideToUtf8(text),
              "a\xEF\xBF\xBD\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

struct BadUtf8 {
    const char* label;
    std::string bytes;
    std::wstring expected;
};

TEST(Text, IllFormedUtf8BecomesOneReplacementPerByte) {
    const wchar_t r = 0xFFFD;
    const BadUtf8 rows[] = {
        {"lone continuation", "a\x80z", {L'a', r, L'z'}},
        {"truncated 3-byte", "a\xE4\xB8", {L'a', r, r}},
        {"overlong NUL", "\xC0\x80", {r, r}},
        {"overlong slash", "\xE0\x80\xAF", {r, r, r}},
        {"encoded surrogate", "\xED\xA0\x80", {r, r, r}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {r, r, r, r}},
        {"invalid lead bytes", "\xFE\xFF", {r, r}},
        {"lead then ASCII", "\xC3(", {r, L'('}},
    };
    for (const BadUtf8& row : rows) EXPECT_EQ(Utf8ToWide(row.bytes), row.expected) << row.label;
}

TEST(Text, EmptyStaysEmpty) {
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(Utf8ToWide(""), L"");
}

}  // namespace
