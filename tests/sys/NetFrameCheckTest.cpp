#include <gtest/gtest.h>

#include "TempEnv.h"
#include "sys/NetFrameCheck.h"
#include "sys/RegistryUtils.h"

namespace {

using namespace FuntionImpl;

constexpr wchar_t kNetKey[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client";

class NetFrameCheck : public ::testing::Test {
protected:
    std::wstring ProductWith(const std::string& db) {
        env.WriteFile("product/NetFrameCheck.db", db);
        return (env.Root() / "product").wstring();
    }
    void Installed(const std::wstring& version) {
        ASSERT_TRUE(WriteRegistryString(RegistryRoot::LocalMachine, kNetKey, L"Version", version));
    }
    cvdtest::TempEnv env;
};

TEST_F(NetFrameCheck, ComparesRequiredWithInstalledPartByPart) {
    struct Case {
        const char* required;
        const wchar_t* installed;
        bool expected;
    };
    const Case cases[] = {
        {"4.8", L"4.7.2", true},
        {"4.6.1", L"4.8", false},
        {"4.8", L"4.8", false},
        {"4.8.0.1\r", L"4.8", true},
        {"4.10", L"4.9.9", true},
    };
    for (const Case& c : cases) {
        Installed(c.installed);
        const auto folder = ProductWith(std::string("[Settings]\r\nNetFrameworkVersion=") +
                                        c.required + "\r\n[Text]\r\nTitle=x\r\n");
        EXPECT_EQ(WillShowNetFrameCheck(folder), c.expected) << c.required;
    }
}

TEST_F(NetFrameCheck, NoInstalledNetNeedsTheCheck) {
    EXPECT_TRUE(WillShowNetFrameCheck(ProductWith("[Settings]\nNetFrameworkVersion=4.0\n")));
}

TEST_F(NetFrameCheck, TheKeyCountsOnlyInSettingsBeforeText) {
    EXPECT_FALSE(WillShowNetFrameCheck(ProductWith("[Text]\nNetFrameworkVersion=4.8\n")));
    EXPECT_FALSE(WillShowNetFrameCheck(
        ProductWith("[Text]\nx=1\n[Settings]\nNetFrameworkVersion=4.8\n")));
    EXPECT_FALSE(WillShowNetFrameCheck(ProductWith("[Settings]\nnetframeworkversion=4.8\n")));
    EXPECT_FALSE(WillShowNetFrameCheck((env.Root() / "missing").wstring()));
}

TEST(NetFrameVersion, PartsFollowDecimalConversion) {
    EXPECT_EQ(VersionParts(L"4.7.2"), (std::array<int, 4>{4, 7, 2, 0}));
    EXPECT_EQ(VersionParts(L""), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(VersionParts(L"1.2.3.4.5"), (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(VersionParts(L"4.8\n"), (std::array<int, 4>{4, 8, 0, 0}));
    EXPECT_EQ(RequiredNetFrameVersion("[Settings]\nab\nNetFrameworkVersion=4.8=x\n"), L"4.8=x");
}

}  // namespace
