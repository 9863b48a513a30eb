#include "platform/Process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "Watchdog.h"

namespace {

using platform::Process;
using platform::ProcessOptions;
using platform::QuoteArgument;
using platform::SplitCommandLine;

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> args;
    };
    const Case cases[] = {
        {L"ping -c 4 host", {L"ping", L"-c", L"4", L"host"}},
        {L"  a\t b  ", {L"a", L"b"}},
        {L"\"C:\\Program Files\\x.exe\" /S", {L"C:\\Program Files\\x.exe", L"/S"}},
        {L"p \"a b\" c", {L"p", L"a b", L"c"}},
        {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},        // 3 backslashes + quote
        {L"p \"a\\\\\" b", {L"p", L"a\\", L"b"}},     // 2 backslashes + closing quote
        {L"p a\\b\\\\c", {L"p", L"a\\b\\\\c"}},       // backslashes without a quote
        {L"p \"a\"\"b\"", {L"p", L"a\"b"}},            // "" inside quotes
        {L"p \"\"", {L"p", L""}},                      // empty quoted argument
        {L"C:\\dir\\prog.exe\\ x", {L"C:\\dir\\prog.exe\\", L"x"}},
        {L"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.args) << std::filesystem::path(c.line).string();
}

TEST(QuoteArgument, RoundTripsThroughSplit) {
    const std::wstring samples[] = {L"plain", L"", L"two words", L"quote\"inside",
                                    L"trailing\\", L"back\\\\\"slash", L"C:\\Program Files\\"};
    for (const std::wstring& sample : samples) {
        const auto args = SplitCommandLine(L"prog " + QuoteArgument(sample));
        ASSERT_EQ(args.size(), 2u) << std::filesystem::path(sample).string();
        EXPECT_EQ(args[1], sample);
    }
}

std::string ReadAll(Process& process) {
    std::string all, chunk;
    while (process.ReadOutput(chunk, 4095, 5000) == Process::Read::Data) all += chunk;
    return all;
}

TEST(Process, CapturesStandardOutputAndErrorAndTheExitCode) {
    cvdtest::Watchdog watchdog(30);
    ProcessOptions options;
    options.commandLine = L"sh -c \"echo out; echo err 1>&2; exit 3\"";
    options.captureOutput = true;
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(ReadAll(*process), "out\nerr\n");
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
    EXPECT_EQ(ReadAll(*process), env.Root().string() + "\n$HOME; x|");
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
    EXPECT_EQ(ReadAll(*process), "C kept new\n1\n");
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

}  // namespace
