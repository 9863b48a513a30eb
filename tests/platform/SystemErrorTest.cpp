#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Environment.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/SystemError.h"

namespace {

namespace fs = std::filesystem;

class SystemError : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("cvd-system-error-" + std::to_string(platform::CurrentProcessId()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path folder_;
};

TEST_F(SystemError, OpeningAMissingFileReportsFileNotFound) {
    platform::ClearLastSystemError();
    EXPECT_EQ(platform::LastSystemError(), 0);
    std::ifstream missing(folder_ / "missing.bin", std::ios::binary);
    EXPECT_FALSE(missing.is_open());
    EXPECT_EQ(platform::LastSystemError(), platform::FileNotFoundError());
}

TEST(SystemErrorText, GivesTheSystemsWordsAndTheNumber) {
    const std::string text = platform::SystemErrorText(platform::FileNotFoundError());
    EXPECT_TRUE(text.ends_with(" (2)")) << text;
    EXPECT_GT(text.size(), 8u) << text;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
}

// A package that an earlier setup still runs from cannot be rewritten: the file-in-use number
// on every system (Linux says ETXTBSY, Windows a sharing violation).
TEST_F(SystemError, WritingAProgramThatIsRunningReportsFileInUse) {
    const fs::path self = platform::FsPath(platform::ModulePath());
    const fs::path copy = folder_ / ("running" + self.extension().string());
    fs::copy_file(self, copy);
    platform::ProcessOptions options;
    options.program = platform::WidePath(copy);
    options.commandLine =
        L" --gtest_also_run_disabled_tests --gtest_filter=SystemErrorChild.DISABLED_StaysAlive";
    auto child = platform::Process::Start(options);
    ASSERT_TRUE(child);

    platform::ClearLastSystemError();
    std::fstream write(copy, std::ios::in | std::ios::out | std::ios::binary);
    EXPECT_FALSE(write.is_open());
    EXPECT_EQ(platform::LastSystemError(), platform::kFileInUseError);

    child->Kill();
    EXPECT_TRUE(child->Wait(30000));
}

// The running program of the test above; it is ended by the test long before it ends itself.
TEST(SystemErrorChild, DISABLED_StaysAlive) {
    std::this_thread::sleep_for(std::chrono::seconds(60));
}

}  // namespace
