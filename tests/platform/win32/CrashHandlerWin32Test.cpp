// A real fault in a child program with the crash handler installed: the minidump, the log lines,
// the hidden restart with "-dmp" and the single-instance mutex freed for the next process.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "TempEnv.h"
#include "Watchdog.h"
#include "WinTestSupport.h"
#include "platform/NamedMutex.h"
#include "platform/Process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool WaitFor(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!fs::exists(file)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// The files of `folder` whose names match `pattern`.
std::vector<fs::path> Matching(const fs::path& folder, const std::string& pattern) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (std::regex_match(cvdtest::PathText(entry.path().filename()), std::regex(pattern)))
            found.push_back(entry.path());
    return found;
}

TEST(CrashHandler, AFaultWritesAMinidumpBesideTheLogAndRestartsWithTheLogName) {
    cvdtest::Watchdog watchdog(120);
    const struct {
        const char* name;
        bool dumpBesideLog;
        const char* dumpPattern;
    } rows[] = {
        {"dump named after the log", true, R"(video_2024\.log\.dmp)"},
        {"dump named by the time", false, R"(185_1\.0\.0\.0_\d{17}\.dmp)"},
    };
    for (const auto& row : rows) {
        cvdtest::TempEnv env;
        const fs::path log = env.WriteFile("logs/video_2024.log", "first line\n").make_preferred();
        const fs::path marker = env.Root() / "restarted.txt";
        env.Set("CVD_TEST_RESTARTED", cvdtest::PathText(marker));
        const std::wstring mutexName =
            L"ORV_Downloader_crash_" + std::to_wstring(::GetCurrentProcessId());

        platform::ProcessOptions options;
        options.program = cvdtest::win32::ChildProgram().wstring();
        options.commandLine = L" crash " + platform::QuoteArgument(log.wstring()) + L" " +
                              (row.dumpBesideLog ? log.wstring() + L".dmp" : L"-") + L" " +
                              mutexName;
        auto child = platform::Process::Start(options);
        ASSERT_NE(child, nullptr) << row.name;
        ASSERT_TRUE(child->Wait(60000)) << row.name;
        EXPECT_EQ(child->ExitCode(), static_cast<int>(EXCEPTION_INT_DIVIDE_BY_ZERO)) << row.name;

        const auto dumps = Matching(log.parent_path(), row.dumpPattern);
        ASSERT_EQ(dumps.size(), 1u) << row.name << "\n" << cvdtest::ReadFile(log);
        const std::string dump = cvdtest::ReadFile(dumps[0]);
        EXPECT_EQ(dump.substr(0, 4), "MDMP") << row.name;
        EXPECT_GT(dump.size(), 1000u) << row.name;

        const std::string text = cvdtest::ReadFile(log);
        EXPECT_EQ(text.rfind("first line\n", 0), 0u) << text;
        for (const char* line : {" Exception handler entered.\n", " Release mutex: 1, 0, 1, 0\n",
                                 " Create dmp file: ", " Write dmp file: 1, 0\n"})
            EXPECT_NE(text.find(line), std::string::npos) << row.name << ": " << line << text;
        EXPECT_TRUE(std::regex_search(text, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3})"
                                                       R"(--\[Thread\]\(\d+\)  Exception)")))
            << text;

        ASSERT_TRUE(WaitFor(marker)) << row.name;
        std::string restarted;
        for (int i = 0; i < 100 && restarted.empty(); ++i, std::this_thread::sleep_for(50ms))
            restarted = cvdtest::ReadFile(marker);
        EXPECT_NE(restarted.find(" -dmp video_2024.log"), std::string::npos) << restarted;
        platform::NamedMutex next(mutexName);
        EXPECT_TRUE(next.Lock(0)) << row.name << ": the crashed holder blocks the next start";
    }
}

}  // namespace
