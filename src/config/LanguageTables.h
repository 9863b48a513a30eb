// The twenty interface languages and the maps between system language identifiers, language
// codes, indexes and names.
#pragma once

#include <cstdint>
#include <map>
#include <string>

enum EnumLanguage : int {
    LANG_ENGLISH = 0,
    LANG_JAPANESE,
    LANG_CHINESE,
    LANG_SPANISH,
    LANG_GERMAN,
    LANG_FRENCH,
    LANG_RUSSIAN,
    LANG_PORTUGUESE,
    LANG_ARABIC,
    LANG_ITALIANO,
    LANG_CHINESETRAD,
    LANG_KOREAN,
    LANG_NEDERLANDS,
    LANG_INDONESIAN,
    LANG_TURKISH,
    LANG_HINDI,
    LANG_THAI,
    LANG_MALAY,
    LANG_SWEDISH,
    LANG_CZECH,
    LANG_COUNT
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
