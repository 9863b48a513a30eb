#include <gtest/gtest.h>

#include <chrono>

#include "platform/LocalTime.h"

namespace {

int DaysFromCivil(int year, int month, int day) {
    using namespace std::chrono;
    return static_cast<int>(
        sys_days(std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day))
            .time_since_epoch()
            .count());
}

TEST(LocalTime, NowIsAValidDateWithinADayOfTheUniversalClock) {
    const platform::LocalTime now = platform::LocalTimeNow();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12) << now.month;
    EXPECT_TRUE(now.day >= 1 && now.day <= 31) << now.day;
    EXPECT_TRUE(now.hour >= 0 && now.hour <= 23) << now.hour;
    EXPECT_TRUE(now.minute >= 0 && now.minute <= 59) << now.minute;
    EXPECT_TRUE(now.second >= 0 && now.second <= 60) << now.second;
    EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999) << now.millisecond;

    // No time zone is more than 14 hours from UTC, so the local date is the UTC date or a
    // neighbour of it (a month or year field counted from 0 would be caught here).
    const auto utcDays = std::chrono::duration_cast<std::chrono::days>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    EXPECT_LE(std::abs(DaysFromCivil(now.year, now.month, now.day) - utcDays), 1);
}

}  // namespace
