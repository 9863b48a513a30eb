// UTF-16 wide text: code points above U+FFFF are surrogate pairs.
#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

TEST(Text, ASurrogatePairIsOneCodePoint) {
    const std::wstring smile = L"\U0001F600";
    ASSERT_EQ(smile.size(), 2u);
    EXPECT_EQ(WideToUtf8(smile), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), smile);
    const std::wstring mixed = L"a\U0001F600\u4e2d\U00010000\U0010FFFFz";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(mixed)), mixed);
}

TEST(Text, ASurrogateWithoutItsPartnerBecomesReplacement) {
    const std::string r = "\xEF\xBF\xBD";
    const struct {
        const char* label;
        std::wstring text;
        std::string utf8;
    } rows[] = {
        {"high at the end", {L'a', wchar_t(0xD83D)}, "a" + r},
        {"high before a letter", {wchar_t(0xD83D), L'b'}, r + "b"},
        {"two highs, then a low",
         {wchar_t(0xD83D), wchar_t(0xD83D), wchar_t(0xDE00)},
         r + "\xF0\x9F\x98\x80"},
        {"low before high", {wchar_t(0xDE00), wchar_t(0xD83D)}, r + r},
    };
    for (const auto& row : rows) EXPECT_EQ(WideToUtf8(row.text), row.utf8) << row.label;
}

}  // namespace
