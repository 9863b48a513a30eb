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

}  // namespace
