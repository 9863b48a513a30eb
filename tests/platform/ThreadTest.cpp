#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "Watchdog.h"
#include "platform/Clock.h"
#include "platform/Thread.h"

namespace {

using platform::Event;
using platform::kInfinite;
using platform::Thread;

TEST(Thread, WaitTimesOutThenSucceeds) {
    cvdtest::Watchdog watchdog(30);
    Event release;
    auto thread = Thread::Start([&release] { release.Wait(kInfinite); });
    ASSERT_NE(thread, nullptr);
    const std::uint32_t start = platform::TickCount();
    EXPECT_FALSE(thread->Wait(50));
    EXPECT_GE(platform::TickCount() - start, 45u);
    EXPECT_FALSE(thread->Wait(0));
    EXPECT_FALSE(thread->Finished());
    release.Set();
    EXPECT_TRUE(thread->Wait(kInfinite));
    EXPECT_TRUE(thread->Finished());
    EXPECT_TRUE(thread->Wait(0));  // repeatable
}

TEST(Thread, RunsOnAfterTheHandleIsDropped) {
    cvdtest::Watchdog watchdog(30);
    std::atomic<bool> ran{false};
    Event done;
    Thread::Start([&] {
        platform::SleepMs(20);
        ran = true;
        done.Set();
    }).reset();
    ASSERT_TRUE(done.Wait(5000));
    EXPECT_TRUE(ran);
}

TEST(Thread, ExceptionsEndTheThreadQuietly) {
    cvdtest::Watchdog watchdog(30);
    auto thread = Thread::Start([] { throw std::runtime_error("escaped"); });
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->Wait(5000));
    auto empty = Thread::Start(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->Wait(5000));
}

TEST(Thread, SeveralWaitersAreAllReleased) {
    cvdtest::Watchdog watchdog(30);
    Event go;
    auto worker = Thread::Start([&go] { go.Wait(kInfinite); });
    std::atomic<int> released{0};
    auto waiter1 = Thread::Start([&] { released += worker->Wait(kInfinite); });
    auto waiter2 = Thread::Start([&] { released += worker->Wait(kInfinite); });
    go.Set();
    EXPECT_TRUE(waiter1->Wait(5000));
    EXPECT_TRUE(waiter2->Wait(5000));
    EXPECT_EQ(released, 2);
}

TEST(Event, ManualResetStaysSet) {
    Event event(true, false);
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(20));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
    Event initially(true, true);
    EXPECT_TRUE(initially.Wait(0));
}

TEST(Event, AutoResetReleasesOneWaiter) {
    cvdtest::Watchdog watchdog(30);
    Event event(false, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));  // cleared itself

    std::atomic<int> woken{0};
    auto first = Thread::Start([&] { woken += event.Wait(2000); });
    auto second = Thread::Start([&] { woken += event.Wait(2000); });
    platform::SleepMs(50);
    event.Set();
    for (int i = 0; i < 500 && woken == 0; ++i) platform::SleepMs(10);
    platform::SleepMs(100);  // time for a second, wrong wake-up to show
    EXPECT_EQ(woken, 1);
    event.Set();
    EXPECT_TRUE(first->Wait(5000));
    EXPECT_TRUE(second->Wait(5000));
    EXPECT_EQ(woken, 2);
}

TEST(Event, ManualResetReleasesEveryWaiter) {
    cvdtest::Watchdog watchdog(30);
    Event event(true, false);
    std::atomic<int> woken{0};
    auto first = Thread::Start([&] { woken += event.Wait(kInfinite); });
    auto second = Thread::Start([&] { woken += event.Wait(kInfinite); });
    event.Set();
    EXPECT_TRUE(first->Wait(5000));
    EXPECT_TRUE(second->Wait(5000));
    EXPECT_EQ(woken, 2);
}

}  // namespace
