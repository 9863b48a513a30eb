#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "ProcessOutput.h"
#include "TempEnv.h"
#include "Watchdog.h"
#include "platform/Clock.h"
#include "platform/Process.h"

namespace {

using platform::Process;
using platform::ProcessOptions;

using cvdtest::ReadAllOutput;

TEST(Process, CapturesStandardOutputAndErrorAndTheExitCode) {
    cvdtest::Watchdog watchdog(30);
    ProcessOptions options;
    options.commandLine = L"sh -c \"echo out; echo err 1>&2; exit 3\"";
    options.captureOutput = true;
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(ReadAllOutput(*process), "out\nerr\n");
    EXPECT_TRUE(process->Wait(5000));
    EXPECT_EQ(process->ExitCode(), 3);
}

TEST(Process, RunsInTheGivenFolderWithArgumentsUninterpreted) {
    cvdtest::Watchdog watchdog(30);
    cvdtest::TempEnv env;
    ProcessOptions options;
    options.commandLine = L"sh -c \"pwd; printf '%s|' \\\"$0\\\"\" \"$HOME; x\"";
    options.workingFolder = env.Root().wstring();
    options.captureOutput = true;
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(ReadAllOutput(*process), env.Root().string() + "\n$HOME; x|");
    EXPECT_TRUE(process->Wait(5000));
}

TEST(Process, TheChildGetsTheGivenVariablesOnTopOfOurs) {
    cvdtest::Watchdog watchdog(30);
    cvdtest::TempEnv env;
    env.Set("LC_ALL", "de_DE.UTF-8");
    env.Set("CVD_KEPT", "kept");
    ProcessOptions options;
    options.commandLine = L"sh -c \"echo $LC_ALL $CVD_KEPT $CVD_NEW; env | grep -c ^LC_ALL=\"";
    options.environment = {{L"LC_ALL", L"C"}, {L"CVD_NEW", L"new"}};
    options.captureOutput = true;
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(ReadAllOutput(*process), "C kept new\n1\n");
    EXPECT_TRUE(process->Wait(5000));
}

TEST(Process, TimedWaitThenKill) {
    cvdtest::Watchdog watchdog(30);
    ProcessOptions options;
    options.commandLine = L"sleep 30";
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_FALSE(process->Wait(50));
    EXPECT_FALSE(process->Finished());
    std::string chunk;
    EXPECT_EQ(process->ReadOutput(chunk, 100, 10), Process::Read::Ended) << "nothing captured";
    EXPECT_TRUE(process->Kill());
    EXPECT_TRUE(process->Wait(5000));
    EXPECT_FALSE(process->ExitCode().has_value()) << "ended by a signal";
    EXPECT_FALSE(process->Kill());
}

TEST(Process, ReadTimesOutWhileTheChildIsSilent) {
    cvdtest::Watchdog watchdog(30);
    ProcessOptions options;
    options.commandLine = L"sleep 30";
    options.captureOutput = true;
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    std::string chunk;
    EXPECT_EQ(process->ReadOutput(chunk, 100, 50), Process::Read::Timeout);
    process->Kill();
    EXPECT_EQ(process->ReadOutput(chunk, 100, 5000), Process::Read::Ended);
    EXPECT_TRUE(process->Wait(5000));
}

TEST(Process, UnknownProgramFailsToStart) {
    ProcessOptions options;
    options.commandLine = L"/nonexistent/program --flag";
    platform::ProcessStartError error = platform::ProcessStartError::None;
    EXPECT_EQ(Process::Start(options, &error), nullptr);
    EXPECT_EQ(error, platform::ProcessStartError::StartFailed);
    options.commandLine = L"   ";
    EXPECT_EQ(Process::Start(options, &error), nullptr);
}

// A file whose name holds a quote and a blank, and a decoy named after the text before the
// quote: a program re-split out of a command line would run the decoy.
class GivenProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [name, text] :
             {std::pair{std::string("prog\" x.sh"), std::string("printf '%s|' \"$#\" \"$@\"")},
              std::pair{std::string("prog"), std::string("printf decoy")}}) {
            const auto path = env.WriteFile(name, "#!/bin/sh\n" + text + "\n");
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        }
    }
    std::string Output(ProcessOptions options) {
        options.captureOutput = true;
        auto process = Process::Start(options);
        if (!process) return "not started";
        const std::string all = ReadAllOutput(*process);
        process->Wait(5000);
        return all;
    }

    cvdtest::TempEnv env;
    std::wstring program = (env.Root() / "prog\" x.sh").wstring();
};

TEST_F(GivenProgramTest, RunsAsItStandsAndOnlyTheArgumentsAreSplit) {
    cvdtest::Watchdog watchdog(30);
    struct Case {
        bool setupRules;
        std::wstring line;
        std::string output;
    };
    const Case cases[] = {
        {false, L" a \"b c\" \"d\\\"e\"", "3|a|b c|d\"e|"},
        {false, L"", "0|"},
        {true, L" /DIR=\"/apps/P\\\" /LANG=en", "2|/DIR=/apps/P\\|/LANG=en|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::filesystem::path(c.line).string());
        ProcessOptions options;
        options.program = program;
        options.commandLine = c.line;
        options.setupRules = c.setupRules;
        EXPECT_EQ(Output(options), c.output);
    }
}

TEST_F(GivenProgramTest, IsNotLookedUpOnThePath) {
    ProcessOptions options;
    options.program = L"sh";
    options.commandLine = L"-c true";
    options.workingFolder = env.Root().wstring();
    int error = 0;
    EXPECT_EQ(Process::Start(options, nullptr, &error), nullptr);
    EXPECT_EQ(error, ENOENT);
}

// The descriptors `pid` holds, read from outside while it runs.
std::set<int> OpenDescriptors(int pid) {
    std::set<int> open;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec))
        open.insert(std::stoi(entry.path().filename().string()));
    return open;
}

// A descriptor opened without close-on-exec (by a library, or a server connection) must not
// reach the child, least of all one that runs as another user.
TEST(Process, TheChildHoldsOnlyTheStandardDescriptors) {
    cvdtest::Watchdog watchdog(30);
    int leaked[2];
    ASSERT_EQ(::pipe(leaked), 0);
    const int high = ::dup2(leaked[1], 200);
    cvdtest::TempEnv env;
    env.Set("SUDO_UID", "65534");
    env.Set("PKEXEC_UID", std::nullopt);
    for (const bool asDesktopUser : {false, true}) {
        SCOPED_TRACE(asDesktopUser);
        if (asDesktopUser && ::geteuid() != 0) continue;  // only root starts as another user
        for (const bool capture : {false, true}) {
            ProcessOptions options;
            options.commandLine = L"sleep 30";
            options.captureOutput = capture;
            options.asDesktopUser = asDesktopUser;
            auto process = Process::Start(options);
            ASSERT_NE(process, nullptr);
            // Just after exec the dynamic loader briefly holds its own files: a leaked
            // descriptor stays, so wait until only the standard ones are left, or time runs out.
            const std::set<int> standard{0, 1, 2};
            std::set<int> open = OpenDescriptors(process->Pid());
            for (int tries = 0; open != standard && tries < 100; ++tries) {
                platform::SleepMs(20);
                open = OpenDescriptors(process->Pid());
            }
            EXPECT_EQ(open, standard);
            process->Kill();
            EXPECT_TRUE(process->Wait(5000));
        }
    }
    for (const int fd : {leaked[0], leaked[1], high}) ::close(fd);
}

TEST(KeepFileFromChildren, MarksEveryDescriptorOfTheFileCloseOnExec) {
    cvdtest::TempEnv env;
    const auto file = env.WriteFile("kept.log", "");
    const int first = ::open(file.c_str(), O_WRONLY | O_APPEND);
    const int second = ::open(file.c_str(), O_RDONLY);
    const int other = ::open("/dev/null", O_RDONLY);
    ASSERT_TRUE(first >= 0 && second >= 0 && other >= 0);
    EXPECT_TRUE(platform::KeepFileFromChildren(file.wstring()));
    EXPECT_TRUE(::fcntl(first, F_GETFD) & FD_CLOEXEC);
    EXPECT_TRUE(::fcntl(second, F_GETFD) & FD_CLOEXEC);
    EXPECT_FALSE(::fcntl(other, F_GETFD) & FD_CLOEXEC) << "another file keeps its flags";
    for (const int fd : {first, second, other}) ::close(fd);
    EXPECT_FALSE(platform::KeepFileFromChildren((env.Root() / "missing").wstring()));
}

}  // namespace
