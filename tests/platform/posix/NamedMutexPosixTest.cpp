#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "NamedMutexName.h"
#include "TempEnv.h"
#include "Watchdog.h"
#include "platform/NamedMutex.h"

namespace {

namespace fs = std::filesystem;
using platform::NamedMutex;
using platform::posix::LockFileName;

TEST(NamedMutex, LockFileLiesInTheRuntimeFolder) {
    cvdtest::TempEnv env;
    NamedMutex mutex(L"mutex_for_downloadthread");
    ASSERT_TRUE(mutex.Lock(0));
    EXPECT_TRUE(fs::exists(env.Root() / "runtime/cvdownloader/mutex_for_downloadthread.lock"));
    mutex.Unlock();
}

TEST(NamedMutex, LockFileNamesStayInTheirFolder) {
    EXPECT_EQ(LockFileName("ORV_Downloader_3"), "ORV_Downloader_3.lock");
    EXPECT_EQ(LockFileName("UserLogGA4Mutex"), "UserLogGA4Mutex.lock");
    for (const char* name :
         {"../../etc/passwd", "a/b", "..", ".", "", "with space", "\xE4\xB8\xAD"}) {
        const std::string file = LockFileName(name);
        EXPECT_EQ(file.find('/'), std::string::npos) << name;
        EXPECT_NE(file, ".");
        EXPECT_NE(file, "..");
        EXPECT_EQ(file.find_first_not_of(
                      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_.-"),
                  std::string::npos)
            << file;
    }
    EXPECT_NE(LockFileName("a/b"), LockFileName("a_b"));
    EXPECT_LT(LockFileName(std::string(1000, 'x')).size(), 255u);
}

// Child side of the fork test: lock, report, then wait for an order ('U' unlock and exit,
// anything else: exit holding the lock, which the kernel must release).
[[noreturn]] void ChildHolds(const std::wstring& name, int report, int orders) {
    char answer = 'F';
    {
        NamedMutex mutex(name);
        if (mutex.Lock(2000)) answer = 'L';
        if (::write(report, &answer, 1) != 1) ::_exit(2);
        char order = 0;
        if (::read(orders, &order, 1) == 1 && order == 'U') mutex.Unlock();
        if (order != 'U') ::_exit(0);  // dies holding the lock
    }
    ::_exit(0);
}

void ExpectExcludedByChild(char order) {
    cvdtest::TempEnv env;
    cvdtest::Watchdog watchdog(30);
    const std::wstring name =
        L"ORV Downloader/" + std::to_wstring(::getpid()) + std::wstring(1, order);
    int report[2], orders[2];
    ASSERT_EQ(::pipe(report), 0);
    ASSERT_EQ(::pipe(orders), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ChildHolds(name, report[1], orders[0]);

    char answer = 0;
    ASSERT_EQ(::read(report[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'L');
    NamedMutex mutex(name);
    EXPECT_TRUE(mutex.HeldByAnotherProcess());
    EXPECT_FALSE(mutex.Lock(0));
    EXPECT_FALSE(mutex.Lock(80));
    ASSERT_EQ(::write(orders[1], &order, 1), 1);
    EXPECT_TRUE(mutex.Lock(5000));
    EXPECT_FALSE(mutex.HeldByAnotherProcess());
    mutex.Unlock();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int fd : {report[0], report[1], orders[0], orders[1]}) ::close(fd);
}

TEST(NamedMutex, ExcludesAnotherProcessUntilItUnlocks) { ExpectExcludedByChild('U'); }

TEST(NamedMutex, KernelReleasesTheLockOfADeadProcess) { ExpectExcludedByChild('D'); }

}  // namespace
