#include <gtest/gtest.h>

#include "LocaleName.h"
#include "TempEnv.h"
#include "platform/Locale.h"

namespace {

struct LocaleCase {
    const char* locale;
    std::uint16_t lcid;
};

TEST(Locale, MapsPosixLocaleNames) {
    const LocaleCase rows[] = {
        {"en_US", 1033},        {"en_GB.UTF-8", 2057},    {"en_AU", 3081},
        {"en_CA", 4105},        {"en_NZ", 5129},          {"en_IE", 6153},
        {"en_ZA", 7177},        {"zh_CN.UTF-8", 2052},    {"zh_TW", 1028},
        {"zh_HK.Big5", 3076},   {"zh_SG", 4100},          {"zh_MO", 5124},
        {"pt_BR", 1046},        {"pt_PT", 2070},          {"es_ES", 3082},
        {"es_MX", 2058},        {"es_AR", 11274},         {"es_PR", 20490},
        {"ar_SA", 1025},        {"ar_EG", 3073},          {"ar_AE", 14337},
        {"sv_SE", 1053},        {"sv_FI", 2077},          {"ms_MY", 1086},
        {"ms_BN", 2110},        {"nb_NO", 1044},          {"nn_NO", 2068},
        {"de_DE", 1031},        {"de_CH", 2055},          {"de_AT", 3079},
        {"fr_FR", 1036},        {"fr_CA", 3084},          {"fr_BE", 2060},
        {"it_IT", 1040},        {"it_CH", 2064},          {"ja_JP.eucJP", 1041},
        {"ko_KR", 1042},        {"nl_NL", 1043},          {"nl_BE", 2067},
        {"ru_RU.KOI8-R", 1049}, {"id_ID", 1057},          {"tr_TR", 1055},
        {"hi_IN", 1081},        {"th_TH", 1054},          {"cs_CZ", 1029},
        {"pl_PL", 1045},        {"uk_UA", 1058},          {"he_IL", 1037},
        {"vi_VN", 1066},        {"fa_IR", 1065},          {"sr_RS", 3098},
        {"sr_RS@latin", 2074},  {"uz_UZ@cyrillic", 2115}, {"ca_ES@valencia", 1027},
        {"de_DE@euro", 1031},   {"en-US", 1033},          {"ZH_cn", 2052},
    };
    for (const LocaleCase& row : rows)
        EXPECT_EQ(platform::posix::LcidFromLocaleName(row.locale), row.lcid) << row.locale;
}

TEST(Locale, LanguageAloneOrUnknownRegionGivesPrimary) {
    const LocaleCase rows[] = {
        {"de", 1031},    {"zh", 2052},    {"ar", 1025},       {"pt", 1046},
        {"es", 3082},    {"en", 1033},    {"sv", 1053},       {"ms", 1086},
        {"de_BE", 1031}, {"ar_XX", 1025}, {"fr.UTF-8", 1036}, {"ja@x", 1041},
    };
    for (const LocaleCase& row : rows)
        EXPECT_EQ(platform::posix::LcidFromLocaleName(row.locale), row.lcid) << row.locale;
}

TEST(Locale, NeutralAndUnknown) {
    EXPECT_EQ(platform::posix::LcidFromLocaleName("C"), 1033);
    EXPECT_EQ(platform::posix::LcidFromLocaleName("C.UTF-8"), 1033);
    EXPECT_EQ(platform::posix::LcidFromLocaleName("POSIX"), 1033);
    EXPECT_EQ(platform::posix::LcidFromLocaleName(""), 1033);
    EXPECT_EQ(platform::posix::LcidFromLocaleName("xx_YY"), 0);
    EXPECT_EQ(platform::posix::LcidFromLocaleName("klingon"), 0);
    EXPECT_EQ(platform::posix::LcidFromLocaleName("_US"), 0);
}

TEST(Locale, UserUiLanguageFollowsVariablePriority) {
    cvdtest::TempEnv env;
    env.Set("LC_ALL", std::nullopt);
    env.Set("LC_MESSAGES", std::nullopt);
    env.Set("LANG", std::nullopt);
    EXPECT_EQ(platform::UserUiLanguage(), 1033);
    env.Set("LANG", "pt_BR.UTF-8");
    EXPECT_EQ(platform::UserUiLanguage(), 1046);
    env.Set("LC_MESSAGES", "zh_TW.UTF-8");
    EXPECT_EQ(platform::UserUiLanguage(), 1028);
    env.Set("LC_ALL", "");  // empty counts as unset
    EXPECT_EQ(platform::UserUiLanguage(), 1028);
    env.Set("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(platform::UserUiLanguage(), 1041);
    env.Set("LC_ALL", "C");
    EXPECT_EQ(platform::UserUiLanguage(), 1033);
    env.Set("LC_ALL", "tlh_XX");
    EXPECT_EQ(platform::UserUiLanguage(), 0);
}

}  // namespace
