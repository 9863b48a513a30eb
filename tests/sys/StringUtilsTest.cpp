#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

#include "sys/StringUtils.h"

namespace {

using namespace FuntionImpl;

struct ReplaceCase {
    const char* text;
    const char* from;
    const char* to;
    int count;
    const char* result;
};

TEST(ReplaceAll, ReplacesEveryOccurrenceScanningOnAfterTheInsertion) {
    const ReplaceCase cases[] = {
        {"aaa", "a", "aa", 3, "aaaaaa"},  {"a.b.c", ".", "", 2, "abc"},
        {"abcabc", "bc", "X", 2, "aXaX"}, {"abab", "ab", "abab", 2, "abababab"},
        {"xyz", "q", "r", 0, "xyz"},      {"", "a", "b", 0, ""},
        {"abc", "", "b", 0, "abc"},
    };
    for (const ReplaceCase& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(ReplaceAll(text, c.from, c.to), c.count) << c.text << " " << c.from;
        EXPECT_EQ(text, c.result) << c.text << " " << c.from;
    }
}

TEST(FormatByteSize, PicksTheUnitAndShowsDecimalsOnlyForInexactQuotients) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0B"},
        {1023, "1023B"},
        {1024, "1KB"},
        {1536, "1.50KB"},
        {2048, "2KB"},
        {1048575, "1024.00KB"},
        {1048576, "1MB"},
        {1572864, "1.50MB"},
        {3221225472ull, "3GB"},
        {5ull << 40, "5120GB"},
        {std::numeric_limits<std::uint64_t>::max(), "17179869184.00GB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
}

TEST(StripStampPrefix, KeepsTheTextAfterATwentyCharacterStamp) {
    EXPECT_EQ(StripStampPrefix(L"20240101120000123456payload"), L"payload");
    EXPECT_EQ(StripStampPrefix(L"20240101120000123456x"), L"x");
    EXPECT_EQ(StripStampPrefix(L"20240101120000123456"), L"");
    EXPECT_EQ(StripStampPrefix(L"10240101120000123456payload"), L"");
    EXPECT_EQ(StripStampPrefix(L""), L"");
}

TEST(WToI, FollowsTheRulesOfWtoi) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"", 0},
        {L"abc", 0},
        {L"42", 42},
        {L"01", 1},
        {L"1abc", 1},
        {L" \t\n 5", 5},
        {L"+7", 7},
        {L"-7", -7},
        {L"- 7", 0},
        {L"+-7", 0},
        {L"3.9", 3},
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"99999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-2147483649", INT_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(WToI(text), value) << text;
}

TEST(WToI64, SaturatesAtTheSixtyFourBitLimits) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const std::pair<const wchar_t*, std::int64_t> cases[] = {
        {L"  4294967296x", 4294967296ll},
        {L"-12", -12},
        {L"9223372036854775807", kMax},
        {L"9223372036854775808", kMax},
        {L"-9223372036854775808", kMin},
        {L"-9223372036854775809", kMin},
        {L"nope", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(WToI64(text), value) << text;
}

}  // namespace
