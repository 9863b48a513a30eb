#include <gtest/gtest.h>

#include "sys/TextConvert.h"

namespace {

using namespace FuntionImpl;

TEST(Utf16ToUtf8, EndsAtTheFirstNul) {
    EXPECT_EQ(Utf16ToUtf8(std::wstring(L"ab\0cd", 5)), "ab");
    EXPECT_EQ(Utf16ToUtf8(std::wstring(L"\0x", 2)), "");
    EXPECT_EQ(Utf16ToUtf8(L""), "");
}

TEST(Utf16ToUtf8, EncodesEveryPlane) {
    EXPECT_EQ(Utf16ToUtf8(L"\u4e2d\u6587"), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(Utf16ToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(L"Bokm\u00e5l \u0627\u0644")), L"Bokm\u00e5l \u0627\u0644");
}

TEST(Utf8ToUtf16, EmptyGivesEmpty) { EXPECT_EQ(Utf8ToUtf16(""), L""); }

TEST(AnsiToUtf8, PassesUtf8ThroughAndReplacesIllFormedBytes) {
    EXPECT_EQ(AnsiToUtf8("plain \xC3\xA9"), "plain \xC3\xA9");
    EXPECT_EQ(AnsiToUtf8("a\xFF+"), "a\xEF\xBF\xBD+");
}

}  // namespace
