#include "sys/FileNamePart.h"

#include <gtest/gtest.h>

namespace {

using FuntionImpl::IsSafeFileNamePart;

TEST(IsSafeFileNamePart, AcceptsOrdinaryNamesVersionsAndExtensions) {
    const std::wstring accepted[] = {
        L"",          L"1.0.0.0",   L"ZorvikVideoConverter.exe", L"Zorvik Video Converter",
        L".png",      L"console",   L"COM10",                    L"LPT0",
        L"nul_tool",  L"auxiliary", L"com1tool.exe",             L"视频转换器",
    };
    for (const std::wstring& piece : accepted)
        EXPECT_TRUE(IsSafeFileNamePart(piece)) << testing::PrintToString(piece);
}

TEST(IsSafeFileNamePart, RefusesWhatLeavesTheFolderOrNamesADevice) {
    const std::wstring refused[] = {
        L"../x",      L"..",        L"a..b",     L"1/2",       L"1\\2",     L"C:",
        L"x:stream",  L"name.",     L"name ",    L".",         L"CON",      L"con",
        L"Nul.txt",   L"aux.tar.gz", L"PRN",     L"COM1",      L"com9.exe", L"LPT1",
        L"lpt9",      L"CON .txt",  L"/etc/passwd", std::wstring(L"a\0b", 3),
    };
    for (const std::wstring& piece : refused)
        EXPECT_FALSE(IsSafeFileNamePart(piece)) << testing::PrintToString(piece);
}

// A quote would close the quoted path on a command line early and turn the rest into arguments.
TEST(IsSafeFileNamePart, RefusesQuotesWildcardsRedirectionsAndControlCharacters) {
    const std::wstring refused[] = {
        L"1\" x",   L"\"",    L"Zorvik\" --evil.exe", L"a<b", L"a>b",    L"a|b",   L"a*b.exe",
        L"a?b.exe", L"1.0\t", L"1.0\nforged line",    L"\r",  L"a\x1b[", L"a\x7f", L"a\u0085b",
    };
    for (const std::wstring& piece : refused)
        EXPECT_FALSE(IsSafeFileNamePart(piece)) << testing::PrintToString(piece);
}

TEST(PrintableNamePart, ShowsControlCharactersAsQuestionMarks) {
    EXPECT_EQ(FuntionImpl::PrintableNamePart(std::wstring(L"1\n2\0\x85 \"x\"", 9)), L"1?2?? \"x\"");
    EXPECT_EQ(FuntionImpl::PrintableNamePart(L"视频 1.0"), L"视频 1.0");
}

}  // namespace
