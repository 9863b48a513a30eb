// Finding the running copies of a package and of the temporary twin its setup runs from, with
// real processes (copies of this program, sleeping, under the names a setup uses).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Command.h"
#include "TempEnv.h"
#include "platform/Clock.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ProcessList.h"
#include "sys/ProcessFinder.h"

namespace {

namespace fs = std::filesystem;

// Run by the tests below in copies of this program: a process that waits to be found.
TEST(ProcessFinderSleeper, DISABLED_SleepsAMinute) {
    if (!std::getenv("CVD_FINDER_SLEEPER")) GTEST_SKIP();
    platform::SleepMs(60000);
}

class ProcessFinderTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Process> RunSleepingCopy(const fs::path& as) {
        fs::create_directories(as.parent_path());
        fs::copy_file(platform::FsPath(platform::ModulePath()), as,
                      fs::copy_options::overwrite_existing);
        platform::ProcessOptions options;
        options.commandLine = platform::QuoteArgument(platform::WidePath(as)) +
                              L" --gtest_also_run_disabled_tests"
                              L" --gtest_filter=ProcessFinderSleeper.DISABLED_SleepsAMinute";
        options.environment = {{L"CVD_FINDER_SLEEPER", L"1"}};
        return platform::Process::Start(options);
    }
    static void Stop(std::unique_ptr<platform::Process>& process) {
        if (process && !process->Finished()) process->Kill(), process->Wait(5000);
    }

    cvdtest::TempEnv env;
    // Named after this test process: the finder looks machine-wide, and a twin is any running
    // file of the twin's name, so tests running at once must not share names.
    std::string name = "setup-" + std::to_string(platform::OwnProcessId());
    // The package as the download names it, in another case than the running file.
    fs::path package = env.Root() / "dl" / ("Setup-" + name.substr(6) + ".EXE");
    fs::path running = env.Root() / "dl" / (name + ".exe");
    fs::path twin = env.Root() / "tmp" / "cvd-setup-1" / (name + ".tmp");
};

TEST_F(ProcessFinderTest, FindsThePackageAndItsTemporaryTwinIgnoringCase) {
    auto setup = RunSleepingCopy(running);
    auto copy = RunSleepingCopy(twin);
    ASSERT_TRUE(setup && copy);
    const std::wstring path = platform::WidePath(package);

    EXPECT_EQ(FuntionImpl::FindProcessByFullPath(path, false, false), setup->Pid());
    // The last match in the system's process list: pid order on Linux, no set order on Windows.
    const auto eitherCopy = [&](int pid) { return pid == setup->Pid() || pid == copy->Pid(); };
    EXPECT_PRED1(eitherCopy, FuntionImpl::FindProcessByFullPath(path, false, true));
    EXPECT_FALSE(setup->Wait(0));
    EXPECT_FALSE(copy->Wait(0));

    EXPECT_PRED1(eitherCopy, FuntionImpl::FindProcessByFullPath(path, true, true));
    EXPECT_TRUE(setup->Wait(5000));
    EXPECT_TRUE(copy->Wait(5000));
    EXPECT_EQ(FuntionImpl::FindProcessByFullPath(path, false, true), -1);
}

TEST_F(ProcessFinderTest, WithoutTheTempFlagTheTwinIsLeftAlone) {
    auto copy = RunSleepingCopy(twin);
    ASSERT_TRUE(copy);
    EXPECT_EQ(FuntionImpl::FindProcessByFullPath(platform::WidePath(package), true, false), -1);
    EXPECT_FALSE(copy->Wait(0));
    Stop(copy);
}

TEST_F(ProcessFinderTest, AnotherFileOfTheSameNameDoesNotMatch) {
    auto other = RunSleepingCopy(env.Root() / "elsewhere" / (name + ".exe"));
    ASSERT_TRUE(other);
    EXPECT_EQ(FuntionImpl::FindProcessByFullPath(platform::WidePath(package), true, false), -1);
    EXPECT_FALSE(other->Wait(0));
    Stop(other);
}

// Run by the next test in a copy of this program under a name no other process has.
TEST(ProcessFinderSelf, DISABLED_NeverEndsItself) {
    if (!std::getenv("CVD_FINDER_SELF_CHECK")) GTEST_SKIP();
    EXPECT_EQ(FuntionImpl::FindProcessByFullPath(platform::ModulePath(), true, true), -1);
}

TEST_F(ProcessFinderTest, NeverFindsOrEndsItsOwnProcess) {
    const fs::path self = env.Root() / "self" / "finder_self.exe";
    fs::create_directories(self.parent_path());
    fs::copy_file(platform::FsPath(platform::ModulePath()), self);
    env.Set("CVD_FINDER_SELF_CHECK", "1");
    const auto result =
        cvdtest::RunCommand({self.string(), "--gtest_also_run_disabled_tests",
                             "--gtest_filter=ProcessFinderSelf.DISABLED_NeverEndsItself"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test"), std::string::npos) << result.output;
}

}  // namespace
