#include <gtest/gtest.h>

#include "TempEnv.h"
#include "sys/RegistryUtils.h"

namespace {

using namespace FuntionImpl;

constexpr wchar_t kKey[] = L"SOFTWARE\\Maker\\Product";

TEST(RegistryString, AbsentReadsAsEmptyAndAWrittenValueReadsBack) {
    cvdtest::TempEnv env;
    EXPECT_EQ(ReadRegistryString(RegistryRoot::LocalMachine, kKey, L"InstallPath"), L"");

    ASSERT_TRUE(WriteRegistryString(RegistryRoot::LocalMachine, kKey, L"InstallPath",
                                    L"/opt/\u4ea7\u54c1"));
    EXPECT_EQ(ReadRegistryString(RegistryRoot::LocalMachine, kKey, L"InstallPath"),
              L"/opt/\u4ea7\u54c1");
    EXPECT_EQ(ReadRegistryString(RegistryRoot::LocalMachine, kKey, L"Other"), L"");
    EXPECT_EQ(ReadRegistryString(RegistryRoot::CurrentUser, kKey, L"InstallPath"), L"");
}

TEST(RegistryString, LongValuesAreNotCut) {
    cvdtest::TempEnv env;
    const std::wstring longText(400, L'x');
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::LocalMachine, kKey, L"Long", longText));
    EXPECT_EQ(ReadRegistryString(RegistryRoot::LocalMachine, kKey, L"Long"), longText);
}

}  // namespace
