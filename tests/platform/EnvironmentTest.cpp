#include <gtest/gtest.h>

#include <string>

#include "platform/Environment.h"

namespace {

const std::wstring kName = L"CVD_ENVIRONMENT_TEST_VALUE";

TEST(Environment, ValuesReadBackAsSetIncludingTextOutsideAscii) {
    for (const std::wstring& value :
         {std::wstring(L"plain"), std::wstring(L"Привет 你好 \U0001F600"),
          std::wstring(L"C:\\Program Files"), std::wstring(5000, L'x')}) {
        ASSERT_TRUE(platform::SetEnvironmentValue(kName, value));
        EXPECT_EQ(platform::EnvironmentValue(kName), value);
    }
}

TEST(Environment, AnUnsetOrEmptyVariableReadsEmpty) {
    EXPECT_EQ(platform::EnvironmentValue(L"CVD_ENVIRONMENT_TEST_NEVER_SET"), L"");
    ASSERT_TRUE(platform::SetEnvironmentValue(kName, L""));
    EXPECT_EQ(platform::EnvironmentValue(kName), L"");
}

TEST(Environment, TheProcessIdIsStableAndNotZero) {
    const std::uint32_t id = platform::CurrentProcessId();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(platform::CurrentProcessId(), id);
}

}  // namespace
