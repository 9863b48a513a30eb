// One named mutex, two processes: the child program of the test folder holds it on command.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "Watchdog.h"
#include "WinTestSupport.h"
#include "platform/NamedMutex.h"
#include "platform/Process.h"

namespace {

using platform::NamedMutex;

// The child locks `name` and reports; on the event it unlocks ("unlock") or ends holding it
// ("die"), which leaves the mutex abandoned.
void ExpectExcludedByChild(const std::wstring& order) {
    cvdtest::Watchdog watchdog(60);
    const std::wstring suffix = std::to_wstring(::GetCurrentProcessId()) + order;
    const std::wstring name = L"ORV_Downloader_" + suffix, event = L"cvd-test-go-" + suffix;
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, event.c_str());
    ASSERT_NE(go, nullptr);
    platform::ProcessOptions options;
    options.program = cvdtest::win32::ChildProgram().wstring();
    options.commandLine = L" hold " + name + L" " + event + L" " + order;
    options.captureOutput = true;
    auto child = platform::Process::Start(options);
    ASSERT_NE(child, nullptr);
    std::string answer;
    ASSERT_EQ(child->ReadOutput(answer, 2, 30000), platform::Process::Read::Data);
    ASSERT_EQ(answer, "L\n");

    NamedMutex mutex(name);
    EXPECT_TRUE(mutex.HeldByAnotherProcess());
    EXPECT_FALSE(mutex.Lock(0));
    EXPECT_FALSE(mutex.Lock(80));
    ::SetEvent(go);
    EXPECT_TRUE(mutex.Lock(30000));
    EXPECT_FALSE(mutex.HeldByAnotherProcess());
    mutex.Unlock();
    EXPECT_TRUE(child->Wait(30000));
    EXPECT_EQ(child->ExitCode(), 0);
    ::CloseHandle(go);
}

TEST(NamedMutex, ExcludesAnotherProcessUntilItUnlocks) { ExpectExcludedByChild(L"unlock"); }

TEST(NamedMutex, TheLockOfAProcessThatEndedIsTakenOver) { ExpectExcludedByChild(L"die"); }

TEST(NamedMutex, ReleasedFromAnotherThreadTheLockStaysWithItsThread) {
    // A Windows mutex belongs to its thread: a destructor on another thread cannot release it,
    // but the locking thread takes it again without counting twice and then lets it go.
    const std::wstring name = L"cvd-test-cross-thread-" + std::to_wstring(::GetCurrentProcessId());
    auto* held = new NamedMutex(name);
    ASSERT_TRUE(held->Lock(0));
    std::thread([held] { delete held; }).join();
    bool otherThreadGotIt = true;
    std::thread([&] { otherThreadGotIt = NamedMutex(name).Lock(0); }).join();
    EXPECT_FALSE(otherThreadGotIt) << "still with the thread that locked it";
    NamedMutex again(name);
    ASSERT_TRUE(again.Lock(0));
    again.Unlock();
    std::thread([&] {
        NamedMutex other(name);
        otherThreadGotIt = other.Lock(0);
        if (otherThreadGotIt) other.Unlock();
    }).join();
    EXPECT_TRUE(otherThreadGotIt) << "released for good";
}

}  // namespace
