#include "config/LanguageTables.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/Locale.h"

namespace {

constexpr LanguageRow kLanguages[LangCount] = {
    {"en", "English", L"language_english.xml"},
    {"ja", "Japanese", L"language_japanese.xml"},
    {"zh-cn", "Chinese", L"language_chinese.xml"},
    {"es", "Spanish", L"language_spanish.xml"},
    {"de", "German", L"language_german.xml"},
    {"fr", "French", L"language_french.xml"},
    {"ru", "Russian", L"language_russian.xml"},
    {"pt", "Portuguese", L"language_portuguese.xml"},
    {"ar", "Arabic", L"language_arabic.xml"},
    {"it", "Italiano", L"language_italiano.xml"},
    {"zh-tw", "ChineseTrad", L"language_chinesetrad.xml"},
    {"ko", "Korean", L"language_korean.xml"},
    {"nl", "Nederlands", L"language_nederland.xml"},
    {"id", "Indonesian", L"language_indonesian.xml"},
    {"tr", "Turkish", L"language_turkish.xml"},
    {"hi", "Hindi", L"language_hindi.xml"},
    {"th", "Thai", L"language_thai.xml"},
    {"my", "Malay", L"language_malay.xml"},
    {"se", "Swedish", L"language_swedish.xml"},
    {"cz", "Czech", L"language_czech.xml"},
};

struct UiLanguage {
    std::uint16_t lcid;
    EnumLanguage index;
};

// Every LCID not listed selects English.
constexpr UiLanguage kUiLanguages[] = {
    {1033, LangEnglish},    {2057, LangEnglish},     {3081, LangEnglish},
    {4105, LangEnglish},    {5129, LangEnglish},     {6153, LangEnglish},
    {7177, LangEnglish},    {8201, LangEnglish},     {9225, LangEnglish},
    {10249, LangEnglish},   {11273, LangEnglish},    {1041, LangJapanese},
    {2052, LangChinese},    {1034, LangSpanish},     {2058, LangSpanish},
    {3082, LangSpanish},    {4106, LangSpanish},     {5130, LangSpanish},
    {6154, LangSpanish},    {7178, LangSpanish},     {8202, LangSpanish},
    {9226, LangSpanish},    {10250, LangSpanish},    {11274, LangSpanish},
    {12298, LangSpanish},   {13322, LangSpanish},    {14346, LangSpanish},
    {15370, LangSpanish},   {16394, LangSpanish},    {17418, LangSpanish},
    {18442, LangSpanish},   {19466, LangSpanish},    {20490, LangSpanish},
    {1031, LangGerman},     {2055, LangGerman},      {3079, LangGerman},
    {4103, LangGerman},     {5127, LangGerman},      {1036, LangFrench},
    {2060, LangFrench},     {3084, LangFrench},      {4108, LangFrench},
    {5132, LangFrench},     {1049, LangRussian},     {2070, LangPortuguese},
    {1046, LangPortuguese}, {1025, LangArabic},      {1040, LangItaliano},
    {2064, LangItaliano},   {1028, LangChineseTrad}, {3076, LangChineseTrad},
    {1042, LangKorean},     {2066, LangKorean},      {1043, LangNederlands},
    {2067, LangNederlands}, {1057, LangIndonesian},  {1055, LangTurkish},
    {1081, LangHindi},      {1054, LangThai},        {2110, LangMalay},
    {1086, LangMalay},      {2077, LangSwedish},     {1053, LangSwedish},
    {1029, LangCzech},
};

struct SystemLanguageName {
    std::uint16_t lcid;
    const char* name;
};

// The classic list of language identifiers, "Language_Country or region", sorted by LCID.
constexpr SystemLanguageName kSystemLanguageNames[] = {
    {1025, "Arabic_Saudi Arabia"},
    {1026, "Bulgarian_Bulgaria"},
    {1027, "Catalan_Spain"},
    {1028, "Chinese_Taiwan"},
    {1029, "Czech_Czech Republic"},
    {1030, "Danish_Denmark"},
    {1031, "German_Germany"},
    {1032, "Greek_Greece"},
    {1033, "English_United States"},
    {1034, "Spanish_Spain (Traditional sort)"},
    {1035, "Finnish_Finland"},
    {1036, "French_France"},
    {1037, "Hebrew_Israel"},
    {1038, "Hungarian_Hungary"},
    {1039, "Icelandic_Iceland"},
    {1040, "Italian_Italy"},
    {1041, "Japanese_Japan"},
    {1042, "Korean_Korea"},
    {1043, "Dutch_Netherlands"},
    {1044, "Norwegian_Norway (Bokm?l)"},
    {1045, "Polish_Poland"},
    {1046, "Portuguese_Brazil"},
    {1048, "Romanian_Romania"},
    {1049, "Russian_Russia"},
    {1050, "Croatian_Croatia"},
    {1051, "Slovak_Slovakia"},
    {1052, "Albanian_Albania"},
    {1053, "Swedish_Sweden"},
    {1054, "Thai_Thailand"},
    {1055, "Turkish_Turkey"},
    {1056, "Urdu_Pakistan"},
    {1057, "Indonesian_Indonesia (Bahasa)"},
    {1058, "Ukrainian_Ukraine"},
    {1059, "Belarusian_Belarus"},
    {1060, "Slovenian_Slovenia"},
    {1061, "Estonian_Estonia"},
    {1062, "Latvian_Latvia"},
    {1063, "Lithuanian_Lithuania"},
    {1065, "Farsi_Iran"},
    {1066, "Vietnamese_Viet Nam"},
    {1067, "Armenian_Armenia"},
    {1068, "Azeri_Azerbaijan (Latin)"},
    {1069, "Basque_Spain"},
    {1071, "Macedonian (FYROM)_Macedonian (FYROM)"},
    {1078, "Afrikaans_South Africa"},
    {1079, "Georgian_Georgia"},
    {1080, "Faeroese_Faeroe Islands"},
    {1081, "Hindi_India"},
    {1086, "Malay_Malaysia"},
    {1087, "Kazakh_Kazakstan"},
    {1088, "Kyrgyz_Kyrgyzstan"},
    {1089, "Swahili_Kenya"},
    {1091, "Uzbek_Uzbekistan (Latin)"},
    {1092, "Tatar_Tatarstan"},
    {1093, "Bengali_India"},
    {1094, "Punjabi_India (Gurmukhi script)"},
    {1095, "Gujarati_India"},
    {1096, "Oriya_India"},
    {1097, "Tamil_India"},
    {1098, "Telugu_India (Telugu script)"},
    {1099, "Kannada_India (Kannada script)"},
    {1100, "Malayalam_India"},
    {1101, "Assamese_India"},
    {1102, "Marathi_India"},
    {1103, "Sanskrit_India"},
    {1104, "Mongolian (Cyrillic)_Mongolia"},
    {1110, "Galician_Spain"},
    {1111, "Konkani_India"},
    {1114, "Syriac_Syria"},
    {1125, "Divehi_Maldives"},
    {2049, "Arabic_Iraq"},
    {2052, "Chinese_PRC"},
    {2055, "German_Switzerland"},
    {2057, "English_United Kingdom"},
    {2058, "Spanish_Mexico"},
    {2060, "French_Belgium"},
    {2064, "Italian_Switzerland"},
    {2067, "Dutch_Belgium"},
    {2068, "Norwegian_Norway (Nynorsk)"},
    {2070, "Portuguese_Portugal"},
    {2074, "Serbian_Serbia (Latin)"},
    {2077, "Swedish_Finland"},
    {2080, "Urdu_India"},
    {2087, "Classic Lithuanian_Lithuania"},
    {2092, "Azeri_Azerbaijan (Cyrillic)"},
    {2110, "Malay_Brunei Darussalam"},
    {2115, "Uzbek_Uzbekistan (Cyrillic)"},
    {3073, "Arabic_Egypt"},
    {3076, "Chinese_Hong Kong SAR"},
    {3079, "German_Austria"},
    {3081, "English_Australia"},
    {3082, "Spanish_Spain (International sort)"},
    {3084, "French_Canada"},
    {3098, "Serbian_Serbia (Cyrillic)"},
    {4097, "Arabic_Libya"},
    {4100, "Chinese_Singapore"},
    {4103, "German_Luxembourg"},
    {4105, "English_Canada"},
    {4106, "Spanish_Guatemala"},
    {4108, "French_Switzerland"},
    {5121, "Arabic_Algeria"},
    {5124, "Chinese_Macao SAR"},
    {5127, "German_Liechtenstein"},
    {5129, "English_New Zealand"},
    {5130, "Spanish_Costa Rica"},
    {5132, "French_Luxembourg"},
    {6145, "Arabic_Morocco"},
    {6153, "English_Ireland"},
    {6154, "Spanish_Panama"},
    {6156, "French_Monaco"},
    {7169, "Arabic_Tunisia"},
    {7177, "English_South Africa"},
    {7178, "Spanish_Dominican Republic"},
    {8193, "Arabic_Oman"},
    {8201, "English_Jamaica"},
    {8202, "Spanish_Venezuela"},
    {9217, "Arabic_Yemen"},
    {9225, "English_Caribbean"},
    {9226, "Spanish_Colombia"},
    {10241, "Arabic_Syria"},
    {10249, "English_Belize"},
    {10250, "Spanish_Peru"},
    {11265, "Arabic_Jordan"},
    {11273, "English_Trinidad"},
    {11274, "Spanish_Argentina"},
    {12289, "Arabic_Lebanon"},
    {12297, "English_Zimbabwe"},
    {12298, "Spanish_Ecuador"},
    {13313, "Arabic_Kuwait"},
    {13321, "English_Philippines"},
    {13322, "Spanish_Chile"},
    {14337, "Arabic_U.A.E."},
    {14346, "Spanish_Uruguay"},
    {15361, "Arabic_Bahrain"},
    {15370, "Spanish_Paraguay"},
    {16385, "Arabic_Qatar"},
    {16394, "Spanish_Bolivia"},
    {17418, "Spanish_El Salvador"},
    {18442, "Spanish_Honduras"},
    {19466, "Spanish_Nicaragua"},
    {20490, "Spanish_Puerto Rico"},
};

}  // namespace

const LanguageRow& LanguageRowOf(int index) {
    return index >= 0 && index < LangCount ? kLanguages[index] : kLanguages[LangEnglish];
}

int UiLanguageIndexOfLcid(std::uint16_t lcid) {
    const auto* found = std::find_if(std::begin(kUiLanguages), std::end(kUiLanguages),
                                     [lcid](const UiLanguage& row) { return row.lcid == lcid; });
    return found == std::end(kUiLanguages) ? LangEnglish : found->index;
}

int DetectUiLanguageIndex() { return UiLanguageIndexOfLcid(platform::UserUiLanguage()); }

std::string LanguageCodeOf(int index) { return LanguageRowOf(index).code; }

const std::map<std::string, int>& LanguageCodeMap() {
    static const std::map<std::string, int> codes = [] {
        std::map<std::string, int> map;
        for (int index = 0; index < LangCount; ++index) map[kLanguages[index].code] = index;
        return map;
    }();
    return codes;
}

int LanguageIndexOfCode(const std::string& code) {
    const auto& codes = LanguageCodeMap();
    const auto found = codes.find(code);
    return found == codes.end() ? LangEnglish : found->second;
}

const std::map<int, std::string>& LanguageNameMap() {
    static const std::map<int, std::string> names = [] {
        std::map<int, std::string> map;
        for (int index = 0; index < LangCount; ++index) map[index] = kLanguages[index].englishName;
        return map;
    }();
    return names;
}

std::string SystemLanguageNameOfLcid(std::uint16_t lcid) {
    if (lcid == 0) return "Neutral_Neutral";
    if (lcid == 1024) return "Default_Default";
    const auto* found = std::lower_bound(
        std::begin(kSystemLanguageNames), std::end(kSystemLanguageNames), lcid,
        [](const SystemLanguageName& row, std::uint16_t id) { return row.lcid < id; });
    if (found != std::end(kSystemLanguageNames) && found->lcid == lcid) return found->name;
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%.4x_0x%.4x", static_cast<unsigned>(lcid),
                  static_cast<unsigned>(lcid));
    return hex;
}

std::string GetSystemLanguageName() { return SystemLanguageNameOfLcid(platform::UserUiLanguage()); }
