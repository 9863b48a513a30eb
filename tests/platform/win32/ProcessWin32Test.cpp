// Child processes on Windows: the command line goes to CreateProcessW as it stands and the child
// reads it with the C runtime's rules; the child program of the test folder reports what it got.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "ProcessOutput.h"
#include "TempEnv.h"
#include "Watchdog.h"
#include "WinTestSupport.h"
#include "platform/Process.h"
#include "platform/ProcessList.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using platform::Process;
using platform::ProcessOptions;

std::wstring Child() { return cvdtest::win32::ChildProgram().wstring(); }

std::string Output(ProcessOptions options, std::optional<int>* exitCode = nullptr) {
    options.captureOutput = true;
    auto process = Process::Start(options);
    if (!process) return "not started";
    const std::string all = cvdtest::ReadAllOutput(*process);
    EXPECT_TRUE(process->Wait(10000));
    if (exitCode) *exitCode = process->ExitCode();
    return all;
}

TEST(Process, TheChildReadsTheCommandLineWithTheWindowsRules) {
    cvdtest::Watchdog watchdog(60);
    const std::wstring tail = L" \"two words\" quote\\\"inside \"C:\\Program Files\\X\\\\\" end";
    ProcessOptions options;
    options.commandLine = platform::QuoteArgument(Child()) + L" args" + tail;
    std::optional<int> code;
    const std::string expected = "cmd=[" + platform::WideToUtf8(options.commandLine) +
                                 "]\narg=[two words]\narg=[quote\"inside]\n"
                                 "arg=[C:\\Program Files\\X\\]\narg=[end]\n";
    EXPECT_EQ(Output(options, &code), expected);
    EXPECT_EQ(code, 7);
}

TEST(Process, AProgramGivenApartRunsAsItStandsWhateverItsNameHolds) {
    cvdtest::Watchdog watchdog(60);
    cvdtest::TempEnv env;
    // A name with a blank in a Cyrillic folder, and a decoy named after the text before the
    // blank: a program re-split out of a command line would run the decoy.
    const fs::path folder = env.Root() / L"\u043f\u0430\u043f\u043a\u0430 \u4e0b\u8f7d";
    fs::create_directories(folder);
    fs::copy_file(Child(), folder / L"my child.exe");
    fs::copy_file(Child(), folder / L"my.exe");
    struct Case {
        bool setupRules;
        std::wstring line;
        std::string arguments;
    };
    const Case cases[] = {
        {false, L" a \"b c\"", "arg=[a]\narg=[b c]\n"},
        {false, L"args", ""},  // a blank is put between program and arguments
        {true, L" /DIR=\"C:\\Apps\\\" /LANG=en", "arg=[/DIR=C:\\Apps\" /LANG=en]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::WideToUtf8(c.line));
        ProcessOptions options;
        options.program = (folder / L"my child.exe").wstring();
        options.commandLine = c.line.starts_with(L"args") ? c.line : L" args" + c.line;
        options.setupRules = c.setupRules;
        // The command line reaches the child as it stands, behind the quoted program.
        const std::wstring line = platform::QuoteArgument(options.program) +
                                  (options.commandLine.front() == L' ' ? L"" : L" ") +
                                  options.commandLine;
        EXPECT_EQ(Output(options), "cmd=[" + platform::WideToUtf8(line) + "]\n" + c.arguments);
    }
}

TEST(Process, CapturesOutputAndErrorInTheGivenFolderWithTheGivenVariables) {
    cvdtest::Watchdog watchdog(60);
    cvdtest::TempEnv env;
    env.Set("CVD_KEPT", "kept");
    env.Set("CVD_REPLACED", "old");
    ProcessOptions options;
    options.program = Child();
    options.commandLine = L" out-err 3";
    std::optional<int> code;
    EXPECT_EQ(Output(options, &code), "out\nerr\n");
    EXPECT_EQ(code, 3);

    options.commandLine = L" env CVD_KEPT CVD_REPLACED CVD_NEW";
    options.environment = {{L"cvd_replaced", L"new"}, {L"CVD_NEW", L"\u4e2d"}};
    EXPECT_EQ(Output(options), "CVD_KEPT=kept\nCVD_REPLACED=new\nCVD_NEW=\xE4\xB8\xAD\n");

    options.environment.clear();
    options.commandLine = L" cwd";
    options.workingFolder = env.Root().wstring();
    EXPECT_EQ(Output(options), platform::WideToUtf8(env.Root().wstring()) + "\n");
}

TEST(Process, TimedWaitThenKill) {
    cvdtest::Watchdog watchdog(60);
    ProcessOptions options;
    options.program = Child();
    options.commandLine = L" sleep 30000";
    options.captureOutput = true;
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_FALSE(process->Wait(50));
    EXPECT_FALSE(process->Finished());
    std::string chunk;
    EXPECT_EQ(process->ReadOutput(chunk, 100, 50), Process::Read::Timeout);
    bool listed = false;
    for (const auto& running :
         platform::ListProcesses().value_or(std::vector<platform::RunningProcess>{}))
        listed =
            listed || (running.pid == process->Pid() &&
                       running.exeName == cvdtest::win32::ChildProgram().filename().wstring() &&
                       fs::path(running.exePath) == cvdtest::win32::ChildProgram());
    EXPECT_TRUE(listed) << "the snapshot names the child with its full path";
    EXPECT_TRUE(process->Kill());
    EXPECT_TRUE(process->Wait(10000));
    EXPECT_FALSE(process->ExitCode().has_value()) << "ended by Kill";
    EXPECT_FALSE(process->Kill());
    // Wine may release a killed process's handles, its end of the pipe among them, seconds
    // after the process counts as ended when the machine is busy.
    EXPECT_EQ(process->ReadOutput(chunk, 100, 60000), Process::Read::Ended);
}

TEST(Process, KillProcessEndsAnotherProcessByItsId) {
    cvdtest::Watchdog watchdog(60);
    ProcessOptions options;
    options.program = Child();
    options.commandLine = L" sleep 30000";
    auto process = Process::Start(options);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(platform::KillProcess(process->Pid()), 0);
    EXPECT_TRUE(process->Wait(0)) << "ended before KillProcess returned";
    EXPECT_EQ(platform::KillProcess(0x7FFFFFF0), ERROR_INVALID_PARAMETER) << "no such process";
}

TEST(Process, AMissingProgramFailsWithFileNotFound) {
    ProcessOptions options;
    options.commandLine = L"C:\\nonexistent\\program.exe --flag";
    platform::ProcessStartError error = platform::ProcessStartError::None;
    int code = 0;
    EXPECT_EQ(Process::Start(options, &error, &code), nullptr);
    EXPECT_EQ(error, platform::ProcessStartError::StartFailed);
    EXPECT_TRUE(code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) << code;
    options.commandLine = L"   ";
    EXPECT_EQ(Process::Start(options, &error, &code), nullptr);
    EXPECT_EQ(code, ERROR_FILE_NOT_FOUND);
}

// A handle opened inheritable (a library's file, a socket) must not reach the child.
TEST(Process, TheChildGetsOnlyItsStandardHandles) {
    cvdtest::Watchdog watchdog(60);
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, &inheritable, 0));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(write, "secret", 6, &written, nullptr));
    for (const bool capture : {true, false}) {
        SCOPED_TRACE(capture);
        ProcessOptions options;
        options.program = Child();
        options.commandLine =
            L" inherited " + std::to_wstring(reinterpret_cast<std::uintptr_t>(read));
        if (capture) {
            EXPECT_EQ(Output(options), "not inherited\n");
            continue;
        }
        auto process = Process::Start(options);  // output to ours: only the exit matters here
        ASSERT_NE(process, nullptr);
        EXPECT_TRUE(process->Wait(10000));
        DWORD left = 0;
        EXPECT_TRUE(::PeekNamedPipe(read, nullptr, 0, nullptr, &left, nullptr));
        EXPECT_EQ(left, 6u) << "the child read nothing of ours";
    }
    ::CloseHandle(read);
    ::CloseHandle(write);
}

}  // namespace
