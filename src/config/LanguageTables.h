// The twenty interface languages and the maps between system language identifiers, language
// codes, indexes and names.
#pragma once

#include <cstdint>
#include <map>
#include <string>

enum EnumLanguage : int {
    LangEnglish = 0,
    LangJapanese,
    LangChinese,
    LangSpanish,
    LangGerman,
    LangFrench,
    LangRussian,
    LangPortuguese,
    LangArabic,
    LangItaliano,
    LangChineseTrad,
    LangKorean,
    LangNederlands,
    LangIndonesian,
    LangTurkish,
    LangHindi,
    LangThai,
    LangMalay,
    LangSwedish,
    LangCzech,
    LangCount
};

struct LanguageRow {
    const char* code;          // "en", "zh-cn", ... the system's own codes ("my", "se", "cz")
    const char* englishName;   // "English", ... "ChineseTrad"
    const wchar_t* fileName;   // "language_english.xml", below "language/" in the skin
};

// Row `index` of the twenty-row table; an index outside 0..19 gives row 0.
const LanguageRow& LanguageRowOf(int index);

// Language index that a system UI language (LCID) selects; 0 when the LCID is not listed.
int UiLanguageIndexOfLcid(std::uint16_t lcid);
// The index for the system's user-interface language.
int DetectUiLanguageIndex();

// The code of `index`; 20 or more (and negative) gives "en".
std::string LanguageCodeOf(int index);
// Code -> index; a missing code yields 0 through LanguageIndexOfCode.
const std::map<std::string, int>& LanguageCodeMap();
int LanguageIndexOfCode(const std::string& code);
// Index -> English name.
const std::map<int, std::string>& LanguageNameMap();

// "Language_Country" of an LCID; "Neutral_Neutral" for 0, "Default_Default" for 1024, else
// "0x%.4x_0x%.4x".
std::string SystemLanguageNameOfLcid(std::uint16_t lcid);
std::string GetSystemLanguageName();
