// POSIX implementation: the UI language comes from LC_ALL / LC_MESSAGES / LANG, mapped to LCIDs.
#include "platform/Locale.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "LocaleName.h"
#include "PosixSupport.h"

namespace platform {
namespace {

struct LocaleRow {
    std::string_view name;  // "ll" (primary), "ll_TT", "ll@modifier" or "ll_TT@modifier"
    std::uint16_t lcid;
};

// Windows language identifiers of the classic language table plus a few common glibc
// locales it lacks. A bare language names its primary LCID. Note the POSIX codes differ from
// the installer's own language codes: POSIX "ms" is Malay, "my" Burmese, "sv" Swedish, "se"
// Northern Sami, "cs" Czech.
constexpr LocaleRow kLocales[] = {
    {"af", 1078},
    {"af_ZA", 1078},
    {"am", 1118},
    {"am_ET", 1118},
    {"ar", 1025},
    {"ar_SA", 1025},
    {"ar_IQ", 2049},
    {"ar_EG", 3073},
    {"ar_LY", 4097},
    {"ar_DZ", 5121},
    {"ar_MA", 6145},
    {"ar_TN", 7169},
    {"ar_OM", 8193},
    {"ar_YE", 9217},
    {"ar_SY", 10241},
    {"ar_JO", 11265},
    {"ar_LB", 12289},
    {"ar_KW", 13313},
    {"ar_AE", 14337},
    {"ar_BH", 15361},
    {"ar_QA", 16385},
    {"as", 1101},
    {"as_IN", 1101},
    {"az", 1068},
    {"az_AZ", 1068},
    {"az@cyrillic", 2092},
    {"az_AZ@cyrillic", 2092},
    {"be", 1059},
    {"be_BY", 1059},
    {"bg", 1026},
    {"bg_BG", 1026},
    {"bn", 1093},
    {"bn_IN", 1093},
    {"bn_BD", 2117},
    {"bs", 5146},
    {"bs_BA", 5146},
    {"ca", 1027},
    {"ca_ES", 1027},
    {"cs", 1029},
    {"cs_CZ", 1029},
    {"cy", 1106},
    {"cy_GB", 1106},
    {"da", 1030},
    {"da_DK", 1030},
    {"de", 1031},
    {"de_DE", 1031},
    {"de_CH", 2055},
    {"de_AT", 3079},
    {"de_LU", 4103},
    {"de_LI", 5127},
    {"dv", 1125},
    {"dv_MV", 1125},
    {"el", 1032},
    {"el_GR", 1032},
    {"en", 1033},
    {"en_US", 1033},
    {"en_GB", 2057},
    {"en_AU", 3081},
    {"en_CA", 4105},
    {"en_NZ", 5129},
    {"en_IE", 6153},
    {"en_ZA", 7177},
    {"en_JM", 8201},
    {"en_029", 9225},
    {"en_BZ", 10249},
    {"en_TT", 11273},
    {"en_ZW", 12297},
    {"en_PH", 13321},
    {"en_IN", 16393},
    {"en_MY", 17417},
    {"en_SG", 18441},
    {"es", 3082},
    {"es_ES", 3082},
    {"es_MX", 2058},
    {"es_GT", 4106},
    {"es_CR", 5130},
    {"es_PA", 6154},
    {"es_DO", 7178},
    {"es_VE", 8202},
    {"es_CO", 9226},
    {"es_PE", 10250},
    {"es_AR", 11274},
    {"es_EC", 12298},
    {"es_CL", 13322},
    {"es_UY", 14346},
    {"es_PY", 15370},
    {"es_BO", 16394},
    {"es_SV", 17418},
    {"es_HN", 18442},
    {"es_NI", 19466},
    {"es_PR", 20490},
    {"es_US", 21514},
    {"et", 1061},
    {"et_EE", 1061},
    {"eu", 1069},
    {"eu_ES", 1069},
    {"fa", 1065},
    {"fa_IR", 1065},
    {"fi", 1035},
    {"fi_FI", 1035},
    {"fil", 1124},
    {"fil_PH", 1124},
    {"fo", 1080},
    {"fo_FO", 1080},
    {"fr", 1036},
    {"fr_FR", 1036},
    {"fr_BE", 2060},
    {"fr_CA", 3084},
    {"fr_CH", 4108},
    {"fr_LU", 5132},
    {"fr_MC", 6156},
    {"ga", 2108},
    {"ga_IE", 2108},
    {"gl", 1110},
    {"gl_ES", 1110},
    {"gu", 1095},
    {"gu_IN", 1095},
    {"he", 1037},
    {"he_IL", 1037},
    {"iw", 1037},
    {"iw_IL", 1037},
    {"hi", 1081},
    {"hi_IN", 1081},
    {"hr", 1050},
    {"hr_HR", 1050},
    {"hu", 1038},
    {"hu_HU", 1038},
    {"hy", 1067},
    {"hy_AM", 1067},
    {"id", 1057},
    {"id_ID", 1057},
    {"in", 1057},
    {"in_ID", 1057},
    {"is", 1039},
    {"is_IS", 1039},
    {"it", 1040},
    {"it_IT", 1040},
    {"it_CH", 2064},
    {"ja", 1041},
    {"ja_JP", 1041},
    {"ka", 1079},
    {"ka_GE", 1079},
    {"kk", 1087},
    {"kk_KZ", 1087},
    {"km", 1107},
    {"km_KH", 1107},
    {"kn", 1099},
    {"kn_IN", 1099},
    {"ko", 1042},
    {"ko_KR", 1042},
    {"kok", 1111},
    {"kok_IN", 1111},
    {"ky", 1088},
    {"ky_KG", 1088},
    {"lo", 1108},
    {"lo_LA", 1108},
    {"lt", 1063},
    {"lt_LT", 1063},
    {"lv", 1062},
    {"lv_LV", 1062},
    {"mk", 1071},
    {"mk_MK", 1071},
    {"ml", 1100},
    {"ml_IN", 1100},
    {"mn", 1104},
    {"mn_MN", 1104},
    {"mr", 1102},
    {"mr_IN", 1102},
    {"ms", 1086},
    {"ms_MY", 1086},
    {"ms_BN", 2110},
    {"mt", 1082},
    {"mt_MT", 1082},
    {"my", 1109},
    {"my_MM", 1109},
    {"nb", 1044},
    {"nb_NO", 1044},
    {"no", 1044},
    {"no_NO", 1044},
    {"ne", 1121},
    {"ne_NP", 1121},
    {"nl", 1043},
    {"nl_NL", 1043},
    {"nl_BE", 2067},
    {"nn", 2068},
    {"nn_NO", 2068},
    {"or", 1096},
    {"or_IN", 1096},
    {"pa", 1094},
    {"pa_IN", 1094},
    {"pl", 1045},
    {"pl_PL", 1045},
    {"ps", 1123},
    {"ps_AF", 1123},
    {"pt", 1046},
    {"pt_BR", 1046},
    {"pt_PT", 2070},
    {"ro", 1048},
    {"ro_RO", 1048},
    {"ru", 1049},
    {"ru_RU", 1049},
    {"sa", 1103},
    {"sa_IN", 1103},
    {"se", 1083},
    {"se_NO", 1083},
    {"si", 1115},
    {"si_LK", 1115},
    {"sk", 1051},
    {"sk_SK", 1051},
    {"sl", 1060},
    {"sl_SI", 1060},
    {"sq", 1052},
    {"sq_AL", 1052},
    {"sr", 3098},
    {"sr_RS", 3098},
    {"sr@latin", 2074},
    {"sr_RS@latin", 2074},
    {"sv", 1053},
    {"sv_SE", 1053},
    {"sv_FI", 2077},
    {"sw", 1089},
    {"sw_KE", 1089},
    {"syr", 1114},
    {"syr_SY", 1114},
    {"ta", 1097},
    {"ta_IN", 1097},
    {"te", 1098},
    {"te_IN", 1098},
    {"tg", 1064},
    {"tg_TJ", 1064},
    {"th", 1054},
    {"th_TH", 1054},
    {"tk", 1090},
    {"tk_TM", 1090},
    {"tr", 1055},
    {"tr_TR", 1055},
    {"tt", 1092},
    {"tt_RU", 1092},
    {"uk", 1058},
    {"uk_UA", 1058},
    {"ur", 1056},
    {"ur_PK", 1056},
    {"ur_IN", 2080},
    {"uz", 1091},
    {"uz_UZ", 1091},
    {"uz@cyrillic", 2115},
    {"uz_UZ@cyrillic", 2115},
    {"vi", 1066},
    {"vi_VN", 1066},
    {"xh", 1076},
    {"xh_ZA", 1076},
    {"zh", 2052},
    {"zh_CN", 2052},
    {"zh_TW", 1028},
    {"zh_HK", 3076},
    {"zh_SG", 4100},
    {"zh_MO", 5124},
    {"zu", 1077},
    {"zu_ZA", 1077},
};

constexpr std::uint16_t kEnglishUs = 1033;

std::uint16_t Find(const std::string& name) {
    for (const LocaleRow& row : kLocales)
        if (row.name == name) return row.lcid;
    return 0;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsNeutral(std::string_view locale) {
    const std::string_view base = locale.substr(0, locale.find_first_of(".@"));
    return base.empty() || base == "C" || base == "POSIX";
}

}  // namespace

std::uint16_t posix::LcidFromLocaleName(std::string_view locale) {
    if (IsNeutral(locale)) return kEnglishUs;
    // language[_TERRITORY][.codeset][@modifier]; "-" is accepted for "_" (BCP 47 habits).
    std::string_view modifier;
    if (const std::size_t at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    locale = locale.substr(0, locale.find('.'));
    const std::size_t split = locale.find_first_of("_-");
    const std::string language = Lower(locale.substr(0, split));
    const std::string territory =
        split == std::string_view::npos ? "" : Upper(locale.substr(split + 1));
    const std::string mod = modifier.empty() ? "" : "@" + Lower(modifier);
    if (language.empty()) return 0;
    for (const std::string& candidate :
         {territory.empty() || mod.empty() ? std::string() : language + "_" + territory + mod,
          mod.empty() ? std::string() : language + mod,
          territory.empty() ? std::string() : language + "_" + territory, language}) {
        if (candidate.empty()) continue;
        if (std::uint16_t lcid = Find(candidate)) return lcid;
    }
    return 0;
}

std::uint16_t UserUiLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (auto value = posix::EnvVar(variable)) return posix::LcidFromLocaleName(*value);
    return kEnglishUs;
}

}  // namespace platform
