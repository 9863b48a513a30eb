#include <gtest/gtest.h>

#include "telemetry/SingleUserLog.h"

namespace {

TEST(BucketLabel, PutsTheValueIntoItsWidthWideBucket) {
    struct Case {
        std::int64_t value;
        std::int64_t width;
        const char* unit;
        const char* label;
    };
    const Case cases[] = {
        {0, 3, "s", "[0~3]s"},
        {3, 3, "s", "[3~6]s"},
        {7, 3, "s", "[6~9]s"},
        {2, 3, "s", "[0~3]s"},
        {1500, 1000, "MB", "[1000~2000]MB"},
        {5, 1, "", "[5~6]"},
        {9000000000LL, 1000000000LL, "B", "[9000000000~10000000000]B"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSingleUserLog::BucketLabel(c.value, c.width, c.unit), c.label)
            << c.value << " / " << c.width;
}

TEST(BucketLabel, ZeroWidthGivesTheEmptyBucketInsteadOfDividingByZero) {
    EXPECT_EQ(CSingleUserLog::BucketLabel(7, 0, "s"), "[0~0]s");
}

}  // namespace
