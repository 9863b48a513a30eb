// The interface language as a Linux user sets it: through the locale variables.
#include <gtest/gtest.h>

#include "TempEnv.h"
#include "config/LanguageTables.h"

namespace {

TEST(DetectUiLanguageIndex, FollowsTheUsersLocale) {
    cvdtest::TempEnv env;
    env.Set("LC_ALL", std::nullopt);
    env.Set("LC_MESSAGES", std::nullopt);
    const std::pair<const char*, int> cases[] = {
        {"zh_CN.UTF-8", LangChinese},
        {"zh_TW.UTF-8", LangChineseTrad},
        {"pt_BR.UTF-8", LangPortuguese},
        {"de_DE.UTF-8", LangGerman},
        {"C", LangEnglish},
    };
    for (const auto& [locale, index] : cases) {
        env.Set("LANG", locale);
        EXPECT_EQ(DetectUiLanguageIndex(), index) << locale;
    }
}

TEST(GetSystemLanguageName, NamesTheUsersLocale) {
    cvdtest::TempEnv env;
    env.Set("LC_ALL", "zh_CN.UTF-8");
    EXPECT_EQ(GetSystemLanguageName(), "Chinese_PRC");
    env.Set("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(GetSystemLanguageName(), "English_United States");
}

}  // namespace
