#include <gtest/gtest.h>

#include <regex>

#include "platform/Display.h"
#include "sys/OsFacts.h"

namespace {

using namespace FuntionImpl;
using namespace std::chrono;

TEST(ChinaTimeOf, IsUtcPlusEightHours) {
    const std::pair<sys_seconds, const char*> cases[] = {
        {sys_days{1970y / 1 / 1}, "1970-01-01 08:00:00"},
        {sys_days{2023y / 12 / 31} + 15h + 59min + 59s, "2023-12-31 23:59:59"},
        {sys_days{2023y / 12 / 31} + 16h, "2024-01-01 00:00:00"},
        {sys_days{2024y / 2 / 28} + 16h, "2024-02-29 00:00:00"},
        {sys_days{1969y / 12 / 31} + 15h + 30min, "1969-12-31 23:30:00"},
    };
    for (const auto& [utc, text] : cases) EXPECT_EQ(ChinaTimeOf(utc), text);
}

TEST(ChinaTimeOf, DropsFractionsOfASecond) {
    EXPECT_EQ(ChinaTimeOf(sys_days{2024y / 5 / 6} + 999ms), "2024-05-06 08:00:00");
}

TEST(GetChinaTime, IsTheCurrentTimeInChina) {
    const auto before = system_clock::now();
    const std::string now = GetChinaTime();
    const auto after = system_clock::now();
    EXPECT_TRUE(std::regex_match(now, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")));
    EXPECT_TRUE(now == ChinaTimeOf(before) || now == ChinaTimeOf(after)) << now;
}

TEST(GetOsVersion, NamesTheSystemAndReportsVersionTen) {
    float version = 0;
    EXPECT_FALSE(GetOsVersion(version).empty());
    EXPECT_EQ(version, 10.0f);
    EXPECT_FALSE(IsWindows11());
}

TEST(GetDisplayScale, IsNeutralWithoutADisplay) {
    int width = -1;
    int height = -1;
    EXPECT_EQ(GetDisplayScale(width, height), 1.0);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

TEST(GetDisplayScale, ReportsWhatTheShellKnowsOfTheScreen) {
    platform::SetDisplayFactsSource([] {
        return std::optional<platform::DisplayFacts>({2.0, 3840, 2160});
    });
    int width = 0;
    int height = 0;
    EXPECT_EQ(GetDisplayScale(width, height), 2.0);
    EXPECT_EQ(width, 3840);
    EXPECT_EQ(height, 2160);
    platform::SetDisplayFactsSource({});
    EXPECT_EQ(GetDisplayScale(width, height), 1.0);
    EXPECT_EQ(width, 0);
}

}  // namespace
