#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "TempEnv.h"
#include "config/LanguageTables.h"

namespace {

TEST(LanguageTable, RowsKeepTheSystemsOwnCodes) {
    struct Row {
        int index;
        const char* code;
        const char* name;
        const wchar_t* file;
    };
    const Row rows[] = {
        {0, "en", "English", L"language_english.xml"},
        {2, "zh-cn", "Chinese", L"language_chinese.xml"},
        {9, "it", "Italiano", L"language_italiano.xml"},
        {10, "zh-tw", "ChineseTrad", L"language_chinesetrad.xml"},
        {12, "nl", "Nederlands", L"language_nederland.xml"},
        {17, "my", "Malay", L"language_malay.xml"},
        {18, "se", "Swedish", L"language_swedish.xml"},
        {19, "cz", "Czech", L"language_czech.xml"},
    };
    for (const Row& row : rows) {
        const LanguageRow& actual = LanguageRowOf(row.index);
        EXPECT_STREQ(actual.code, row.code) << row.index;
        EXPECT_STREQ(actual.englishName, row.name) << row.index;
        EXPECT_STREQ(actual.fileName, row.file) << row.index;
    }
    EXPECT_STREQ(LanguageRowOf(20).code, "en");
    EXPECT_STREQ(LanguageRowOf(-1).code, "en");
}

TEST(LanguageCodeOf, OutOfRangeIndexesGiveEnglish) {
    EXPECT_EQ(LanguageCodeOf(17), "my");
    EXPECT_EQ(LanguageCodeOf(2), "zh-cn");
    EXPECT_EQ(LanguageCodeOf(19), "cz");
    EXPECT_EQ(LanguageCodeOf(20), "en");
    EXPECT_EQ(LanguageCodeOf(25), "en");
    EXPECT_EQ(LanguageCodeOf(-3), "en");
}

TEST(LanguageMaps, CodesAndNamesRoundTripThroughTheIndex) {
    ASSERT_EQ(LanguageCodeMap().size(), static_cast<std::size_t>(LangCount));
    ASSERT_EQ(LanguageNameMap().size(), static_cast<std::size_t>(LangCount));
    for (int index = 0; index < LangCount; ++index) {
        EXPECT_EQ(LanguageIndexOfCode(LanguageCodeOf(index)), index);
        EXPECT_EQ(LanguageNameMap().at(index), LanguageRowOf(index).englishName);
    }
    EXPECT_EQ(LanguageIndexOfCode("sv"), 0);
    EXPECT_EQ(LanguageIndexOfCode("ZH-CN"), 0);
    EXPECT_EQ(LanguageIndexOfCode(""), 0);
}

// The whole UI-language table; every LCID not in it selects English.
TEST(UiLanguageIndexOfLcid, MatchesTheTableAndFallsBackToEnglish) {
    const std::map<std::uint16_t, int> table = {
        {1033, 0},  {2057, 0},  {3081, 0},  {4105, 0},  {5129, 0},  {6153, 0},  {7177, 0},
        {8201, 0},  {9225, 0},  {10249, 0}, {11273, 0}, {1041, 1},  {2052, 2},  {1034, 3},
        {2058, 3},  {3082, 3},  {4106, 3},  {5130, 3},  {6154, 3},  {7178, 3},  {8202, 3},
        {9226, 3},  {10250, 3}, {11274, 3}, {12298, 3}, {13322, 3}, {14346, 3}, {15370, 3},
        {16394, 3}, {17418, 3}, {18442, 3}, {19466, 3}, {20490, 3}, {1031, 4},  {2055, 4},
        {3079, 4},  {4103, 4},  {5127, 4},  {1036, 5},  {2060, 5},  {3084, 5},  {4108, 5},
        {5132, 5},  {1049, 6},  {2070, 7},  {1046, 7},  {1025, 8},  {1040, 9},  {2064, 9},
        {1028, 10}, {3076, 10}, {1042, 11}, {2066, 11}, {1043, 12}, {2067, 12}, {1057, 13},
        {1055, 14}, {1081, 15}, {1054, 16}, {2110, 17}, {1086, 17}, {2077, 18}, {1053, 18},
        {1029, 19},
    };
    ASSERT_EQ(table.size(), 64u);
    for (unsigned lcid = 0; lcid <= 0xFFFF; ++lcid) {
        const auto row = table.find(static_cast<std::uint16_t>(lcid));
        const int expected = row == table.end() ? LangEnglish : row->second;
        ASSERT_EQ(UiLanguageIndexOfLcid(static_cast<std::uint16_t>(lcid)), expected) << lcid;
    }
}

TEST(UiLanguageIndexOfLcid, EdgeCases) {
    EXPECT_EQ(UiLanguageIndexOfLcid(2052), LangChinese);
    EXPECT_EQ(LanguageCodeOf(UiLanguageIndexOfLcid(2052)), "zh-cn");
    EXPECT_STREQ(LanguageRowOf(UiLanguageIndexOfLcid(2052)).fileName, L"language_chinese.xml");
    EXPECT_EQ(UiLanguageIndexOfLcid(3076), LangChineseTrad);
    EXPECT_EQ(UiLanguageIndexOfLcid(2066), LangKorean);
    EXPECT_EQ(UiLanguageIndexOfLcid(1044), LangEnglish);
    EXPECT_EQ(UiLanguageIndexOfLcid(3073), LangEnglish);
    EXPECT_EQ(UiLanguageIndexOfLcid(4100), LangEnglish);
}

TEST(SystemLanguageNameOfLcid, NamesSpecialValuesAndHexFallback) {
    const std::pair<std::uint16_t, const char*> cases[] = {
        {1044, "Norwegian_Norway (Bokm?l)"},
        {1025, "Arabic_Saudi Arabia"},
        {1071, "Macedonian (FYROM)_Macedonian (FYROM)"},
        {2052, "Chinese_PRC"},
        {14337, "Arabic_U.A.E."},
        {20490, "Spanish_Puerto Rico"},
        {0, "Neutral_Neutral"},
        {1024, "Default_Default"},
        {0x0c1b, "0x0c1b_0x0c1b"},
        {1047, "0x0417_0x0417"},
        {0xFFFF, "0xffff_0xffff"},
        {1, "0x0001_0x0001"},
    };
    for (const auto& [lcid, name] : cases) EXPECT_EQ(SystemLanguageNameOfLcid(lcid), name) << lcid;
}

TEST(SystemLanguageNameOfLcid, NamesExactlyTheHundredFortyOneListedLcids) {
    int named = 0;
    for (unsigned lcid = 1; lcid <= 0xFFFF; ++lcid) {
        if (lcid == 1024) continue;
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "0x%.4x_0x%.4x", lcid, lcid);
        if (SystemLanguageNameOfLcid(static_cast<std::uint16_t>(lcid)) != fallback) ++named;
    }
    EXPECT_EQ(named, 141);
}

}  // namespace
