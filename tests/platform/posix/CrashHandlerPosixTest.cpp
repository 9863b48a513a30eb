#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <regex>

#include "CrashSignalSafe.h"
#include "TempEnv.h"
#include "platform/CrashHandler.h"
#include "platform/NamedMutex.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using platform::posix::CivilFromUnixMs;
using platform::posix::FormatStamp17;

std::string Stamp(long long unixMs, long offset) {
    char out[18];
    FormatStamp17(CivilFromUnixMs(unixMs, offset), out);
    return out;
}

TEST(CrashSignalSafe, CivilTimeMatchesTheCalendar) {
    struct Row {
        long long unixMs;
        long offset;
        const char* stamp;
    };
    const Row rows[] = {
        {0, 0, "19700101000000000"},
        {1709647629042, 0, "20240305140709042"},           // 5 March 2024 14:07:09.042 UTC
        {1709647629042, 8 * 3600, "20240305220709042"},    // the same instant at UTC+8
        {1709596800000 - 1, 0, "20240304235959999"},       // the last millisecond of a day
        {951782400000, 0, "20000229000000000"},            // a leap day of a century year
        {1709647629042, -15 * 3600, "20240304230709042"},  // back across midnight
    };
    for (const Row& row : rows) EXPECT_EQ(Stamp(row.unixMs, row.offset), row.stamp) << row.unixMs;
}

TEST(CrashSignalSafe, WriterFormatsNumbersWithoutAllocating) {
    cvdtest::TempEnv env;
    const fs::path file = env.Root() / "out.txt";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    platform::posix::SafeWriter out(fd);
    out.Dec(0).Text(" ").Dec(-42).Text(" ").Hex(0).Text(" ").Hex(0xdeadbeef).Text(" ").Digits(7, 3);
    ::close(fd);
    EXPECT_TRUE(out.Ok());
    EXPECT_EQ(cvdtest::ReadFile(file), "0 -42 0x0 0xdeadbeef 007");
}

TEST(CrashSignalSafe, ReadsTheBuildIdOfAnElfObjectOnly) {
    char id[256];
    ASSERT_TRUE(platform::posix::ReadBuildId("/proc/self/exe", id, sizeof id));
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{16,}"))) << id;

    cvdtest::TempEnv env;
    const fs::path text = env.WriteFile("notes.txt",
                                        "\x7f"
                                        "ELF but not really");
    EXPECT_FALSE(platform::posix::ReadBuildId(text.c_str(), id, sizeof id));
    EXPECT_FALSE(platform::posix::ReadBuildId((env.Root() / "absent").c_str(), id, sizeof id));
}

// Runs `crash` in a child with the handler installed and the dump planned into `folder`.
int CrashInChild(const platform::CrashPlan& plan, void (*crash)()) {
    const pid_t child = ::fork();
    if (child == 0) {
        platform::InstallCrashHandler();
        platform::SetCrashPlan(plan);
        crash();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

void DivideByZero() { platform::TriggerCrashForTest(); }
std::uintptr_t volatile g_nowhere = 16;
void Dereference() { *reinterpret_cast<volatile int*>(g_nowhere) = 1; }
void Abort() { std::abort(); }

TEST(CrashHandler, WritesADumpBesideTheLogAndEndsWithTheSignal) {
    struct Row {
        void (*crash)();
        int signal;
        const char* name;
    };
    const Row rows[] = {{DivideByZero, SIGFPE, "SIGFPE"},
                        {Dereference, SIGSEGV, "SIGSEGV"},
                        {Abort, SIGABRT, "SIGABRT"}};
    for (const Row& row : rows) {
        cvdtest::TempEnv env;
        const fs::path log = env.WriteFile("logs/run_2024.log", "first line\n");
        platform::CrashPlan plan;
        plan.logFile = platform::Utf8ToWide(log.string());
        plan.dumpFile = plan.logFile + L".dmp";
        const int status = CrashInChild(plan, row.crash);
        ASSERT_TRUE(WIFSIGNALED(status)) << row.name;
        EXPECT_EQ(WTERMSIG(status), row.signal) << row.name;

        const std::string dump = cvdtest::ReadFile(log.string() + ".dmp");
        EXPECT_NE(dump.find("signal: " + std::to_string(row.signal) + " " + row.name),
                  std::string::npos)
            << dump.substr(0, 200);
        for (const char* part :
             {"fault address: 0x", "registers:", "backtrace:", "memory map:", " build-id="})
            EXPECT_NE(dump.find(part), std::string::npos) << row.name << ": " << part;
        if (row.crash == DivideByZero) {  // the processor's trap, not a raised signal
            EXPECT_NE(dump.find("code: " + std::to_string(FPE_INTDIV) + "\n"), std::string::npos);
        }
        if (row.signal == SIGSEGV) {
            EXPECT_NE(dump.find("fault address: 0x10\n"), std::string::npos);
        }

        const std::string logText = cvdtest::ReadFile(log);
        EXPECT_TRUE(std::regex_search(
            logText,
            std::regex(
                R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3}--\[Thread\]\(\d+\)  Exception handler entered\.)")))
            << logText;
        EXPECT_NE(logText.find(" Create dmp file: "), std::string::npos) << logText;
        EXPECT_NE(logText.find(" Write dmp file: 1, 0"), std::string::npos) << logText;
    }
}

TEST(CrashHandler, NamesTheDumpByTimeWhenThereIsNoLog) {
    cvdtest::TempEnv env;
    fs::create_directories(env.Root() / "logs");
    platform::CrashPlan plan;
    plan.dumpFolder = platform::Utf8ToWide((env.Root() / "logs").string() + "/");
    plan.dumpPrefix = L"185_1.0.0.0_";
    CrashInChild(plan, DivideByZero);
    int dumps = 0;
    for (const auto& entry : fs::directory_iterator(env.Root() / "logs")) {
        ++dumps;
        EXPECT_TRUE(std::regex_match(entry.path().filename().string(),
                                     std::regex(R"(185_1\.0\.0\.0_\d{17}\.dmp)")))
            << entry.path();
    }
    EXPECT_EQ(dumps, 1);
}

TEST(CrashHandler, ReleasesTheInstanceLockBeforeTheProcessEnds) {
    cvdtest::TempEnv env;
    const fs::path log = env.WriteFile("logs/run.log", "");
    // The child holds the lock and, while crashing, lets a grandchild that inherited the lock's
    // open file description outlive it: only an explicit release frees the name then.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::NamedMutex mutex(L"ORV_Downloader_9");
        if (!mutex.Lock(0)) ::_exit(3);
        mutex.ReleaseOnCrash();
        platform::InstallCrashHandler();
        platform::CrashPlan plan;
        plan.logFile = platform::Utf8ToWide(log.string());
        plan.dumpFile = plan.logFile + L".dmp";  // not the working folder
        platform::SetCrashPlan(plan);
        if (::fork() == 0) {  // keeps the descriptor (and with it a plain flock) alive
            ::sleep(5);
            ::_exit(0);
        }
        platform::TriggerCrashForTest();
        ::_exit(0);
    }
    ::close(ready[0]);
    ::close(ready[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    platform::NamedMutex again(L"ORV_Downloader_9");
    EXPECT_FALSE(again.HeldByAnotherProcess());
    EXPECT_TRUE(again.Lock(0));
    EXPECT_NE(cvdtest::ReadFile(log).find(" Release mutex: 1, 0, 1, 0"), std::string::npos)
        << cvdtest::ReadFile(log);
}

}  // namespace
