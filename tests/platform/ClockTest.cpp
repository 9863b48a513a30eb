#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace {

TEST(Clock, TickCountIsMonotonicAndMeasuresSleeps) {
    const std::uint32_t start = platform::TickCount();
    std::uint32_t previous = start;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t now = platform::TickCount();
        EXPECT_LE(static_cast<std::uint32_t>(now - previous), 1000u);  // never goes back
        previous = now;
    }
    platform::SleepMs(50);
    const std::uint32_t elapsed = platform::TickCount() - start;  // wrap-safe difference
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 5000u);
}

}  // namespace
