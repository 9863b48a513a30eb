#include <gtest/gtest.h>

#include <atomic>

#include "TempEnv.h"
#include "Watchdog.h"
#include "platform/Clock.h"
#include "platform/NamedMutex.h"
#include "platform/Thread.h"

namespace {

using platform::NamedMutex;

TEST(NamedMutex, TwoObjectsOfOneNameExcludeEachOther) {
    cvdtest::TempEnv env;
    cvdtest::Watchdog watchdog(30);
    NamedMutex first(L"mutex_for_downloadthread");
    NamedMutex second(L"mutex_for_downloadthread");
    NamedMutex other(L"another name");
    ASSERT_TRUE(first.Lock(0));
    EXPECT_FALSE(first.Lock(0));  // not recursive
    EXPECT_FALSE(second.Lock(0));
    const std::uint32_t start = platform::TickCount();
    EXPECT_FALSE(second.Lock(60));
    EXPECT_GE(platform::TickCount() - start, 55u);
    EXPECT_TRUE(other.Lock(0));                   // names are independent
    EXPECT_FALSE(second.HeldByAnotherProcess());  // held, but by this process

    std::atomic<bool> got{false};
    platform::Event acquired, release;
    auto waiter = platform::Thread::Start([&] {
        got = second.Lock(5000);
        acquired.Set();
        release.Wait(5000);
        second.Unlock();
    });
    platform::SleepMs(50);
    EXPECT_FALSE(got);
    second.Unlock();  // not the owner: ignored
    platform::SleepMs(20);
    EXPECT_FALSE(got);
    first.Unlock();
    ASSERT_TRUE(acquired.Wait(5000));
    EXPECT_TRUE(got);
    EXPECT_FALSE(first.Lock(0));
    second.Unlock();  // the waiter's thread owns it: ignored here
    EXPECT_FALSE(first.Lock(0));
    release.Set();
    ASSERT_TRUE(waiter->Wait(5000));
    EXPECT_TRUE(first.Lock(0));
    first.Unlock();
    other.Unlock();
}

TEST(NamedMutex, OneObjectSharedByThreadsExcludesThem) {
    cvdtest::TempEnv env;
    cvdtest::Watchdog watchdog(30);
    NamedMutex shared(L"UserLogGA4Mutex");
    ASSERT_TRUE(shared.Lock(0));
    std::atomic<bool> got{false};
    auto other = platform::Thread::Start([&] {
        got = shared.Lock(5000);
        if (got) shared.Unlock();
    });
    platform::SleepMs(50);
    EXPECT_FALSE(got) << "a second thread must wait for the owner";
    shared.Unlock();
    ASSERT_TRUE(other->Wait(5000));
    EXPECT_TRUE(got);
    EXPECT_TRUE(shared.Lock(0));
    shared.Unlock();
}

TEST(NamedMutex, DestructorReleases) {
    cvdtest::TempEnv env;
    {
        NamedMutex held(L"scoped");
        ASSERT_TRUE(held.Lock(0));
    }
    NamedMutex again(L"scoped");
    EXPECT_TRUE(again.Lock(0));
}

}  // namespace
