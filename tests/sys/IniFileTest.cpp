#include <gtest/gtest.h>

#include "TempEnv.h"
#include "sys/IniFile.h"
#include "sys/TextConvert.h"

namespace {

using FuntionImpl::ReadIniInt;

struct IniCase {
    const char* name;
    const char* text;
    int expected;  // with a default of -99
};

constexpr int kDefault = -99;

const IniCase kCases[] = {
    {"plain", "[Settings]\nTestEnv=1\n", 1},
    {"leading zero", "[Settings]\nTestEnv=01\n", 1},
    {"two", "[Settings]\nTestEnv=2\n", 2},
    {"digits then text", "[Settings]\nTestEnv=1abc\n", 1},
    {"text only", "[Settings]\nTestEnv=abc\n", 0},
    {"negative", "[Settings]\nTestEnv=-3\n", -3},
    {"empty value", "[Settings]\nTestEnv=\n", kDefault},
    {"no equals sign", "[Settings]\nTestEnv\n", kDefault},
    {"case and blanks", "  [ settings ]  \r\n  TESTENV  =  7  \r\n", 7},
    {"CR line ends", "[Settings]\rOther=3\rTestEnv=4\r", 4},
    {"BOM", "\xEF\xBB\xBF[Settings]\nTestEnv=5\n", 5},
    {"no trailing newline", "[Settings]\nTestEnv=6", 6},
    {"key before any section", "TestEnv=1\n[Settings]\nOther=1\n", kDefault},
    {"key in another section", "[Other]\nTestEnv=1\n[Settings]\nOther=1\n", kDefault},
    {"key after the section", "[Settings]\nOther=1\n[Next]\nTestEnv=1\n", kDefault},
    {"commented out", "[Settings]\n;TestEnv=1\n# TestEnv=1\n", kDefault},
    {"first key wins", "[Settings]\nTestEnv=2\nTestEnv=1\n", 2},
    {"first section only", "[Settings]\nA=1\n[Settings]\nTestEnv=1\n", kDefault},
    {"longer key is another key", "[Settings]\nTestEnvX=1\n", kDefault},
    {"equals in the value", "[Settings]\nTestEnv=8=9\n", 8},
    {"empty file", "", kDefault},
};

TEST(ReadIniInt, ReadsWithTheRulesOfTheWindowsReader) {
    cvdtest::TempEnv env;
    for (const IniCase& c : kCases) {
        const auto file = env.WriteFile("settings.ini", c.text);
        EXPECT_EQ(
            ReadIniInt(FuntionImpl::Utf8ToUtf16(file.string()), L"Settings", L"TestEnv", kDefault),
            c.expected)
            << c.name;
    }
}

TEST(ReadIniInt, MissingFileOrFolderGivesTheDefault) {
    cvdtest::TempEnv env;
    const std::wstring root = FuntionImpl::Utf8ToUtf16(env.Root().string());
    EXPECT_EQ(ReadIniInt(root + L"/absent.ini", L"Settings", L"TestEnv", 3), 3);
    EXPECT_EQ(ReadIniInt(root, L"Settings", L"TestEnv", 3), 3);
}

}  // namespace
