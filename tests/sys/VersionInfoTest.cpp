#include <gtest/gtest.h>

#include <regex>

#include "TempEnv.h"
#include "platform/Paths.h"
#include "sys/TextConvert.h"
#include "sys/VersionInfo.h"

namespace {

using namespace FuntionImpl;

TEST(OwnVersionText, HasFourParts) {
    EXPECT_TRUE(std::regex_match(OwnVersionText(), std::regex(R"(\d+\.\d+\.\d+\.\d+)")))
        << OwnVersionText();
}

TEST(GetFileVersionText, TheRunningExecutableReportsTheCompiledInVersion) {
    const std::wstring self = platform::ModulePath();
    EXPECT_EQ(GetFileVersionText(self), Utf8ToUtf16(OwnVersionText()));
    EXPECT_EQ(GetFileVersionText(Utf16ToUtf8(self)), OwnVersionText());
    EXPECT_EQ(GetVersionStrings(self)[1], Utf8ToUtf16(OwnVersionText()));
}

TEST(GetFileVersionText, AFileWithoutVersionGivesEmptyAndZeros) {
    cvdtest::TempEnv env;
    const auto file = env.WriteFile("tool.bin", "\177ELF");
    EXPECT_EQ(GetFileVersionText(file.string()), "");
    EXPECT_EQ(GetFileVersionText(Utf8ToUtf16(file.string())), L"");
    EXPECT_EQ(GetFileVersionText(L""), L"");
    const std::array<std::wstring, 4> zeros = {L"0", L"0", L"0", L"0"};
    EXPECT_EQ(GetVersionStrings(Utf8ToUtf16(file.string())), zeros);
}

}  // namespace
