// The run sequence in-process: real configuration record, log, user-log sender (to a recording
// collector) and single-instance lock; the windows and the outside facts are hooks.
#include <gtest/gtest.h>
#include <json/writer.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "Watchdog.h"
#include "app/RunSequence.h"
#include "app/SingleInstance.h"
#include "config/CConfigure.h"
#include "platform/NamedMutex.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace {

// Records what the sequence asks of the windows, in order.
class RecordingUi : public app::IStartupUi {
public:
    std::vector<std::string> calls;
    bool windowOpens = true;
    std::function<void()> duringLoop;
    int broughtToFront = 0;

    void ShowStartupBox(std::int32_t kind, std::int32_t language) override {
        calls.push_back("box " + std::to_string(kind) + " language " + std::to_string(language));
    }
    bool OpenMainWindow(const std::wstring& caption, std::uint32_t) override {
        calls.push_back("open " + FuntionImpl::Utf16ToUtf8(caption));
        return windowOpens;
    }
    void RunMessageLoop() override {
        calls.push_back("loop");
        if (duringLoop) duringLoop();
    }
    void BringMainWindowToFront() override { ++broughtToFront; }
    void ShutDownToolkit() override { calls.push_back("toolkit down"); }
};

class RunSequenceTest : public ::testing::Test {
protected:
    RunSequenceTest() : env_(collector_.Host()) {}

    // Runs the sequence for a product configured by `configure`.
    int Run(const std::wstring& commandLine, std::function<void(CConfigure&)> configure = {}) {
        app::RunHooks hooks;
        hooks.loadSkin = [] {};
        hooks.installCrashHandler = [] {};
        hooks.initConfig = [configure] {
            CConfigure& config = CConfigure::Instance();
            config.Downloader_id = 185;
            config.SetDownload_url(L"https://cdn.example/ZorvikSetup.exe");
            if (configure) configure(config);
        };
        hooks.gates = {[this] { return is64_; },
                       [this](bool) {
                           ++countryQueries_;
                           return countrySupported_;
                       },
                       [] { return 3; }};
        hooks.uploadCrashReport = [this](const std::string&, const std::string& name) {
            uploadNames_.push_back(name);
            return 0;
        };
        app::RunSequence sequence(ui_, hooks);
        return sequence.Run(commandLine);
    }

    std::string LogText() {
        el::Loggers::flushAll();
        return cvdtest::ReadFile(FuntionImpl::Utf16ToUtf8(CConfigure::Instance().GetLogFilePath()));
    }

    // Whether `lines` appear in the log in this order.
    ::testing::AssertionResult LogHasInOrder(const std::vector<std::string>& lines) {
        const std::string text = LogText();
        std::size_t at = 0;
        for (const std::string& line : lines) {
            const std::size_t found = text.find(") " + line + "\n", at);
            if (found == std::string::npos)
                return ::testing::AssertionFailure()
                       << "'" << line << "' missing or out of order in\n"
                       << text;
            at = found + 1;
        }
        return ::testing::AssertionSuccess();
    }

    std::string Sent() const {
        Json::StreamWriterBuilder builder;
        std::string all;
        for (const Json::Value& request : collector_.Requests())
            all += Json::writeString(builder, request) + "\n";
        return all;
    }

    cvdtest::CollectorServer collector_;
    cvdtest::TelemetryEnv env_;
    cvdtest::Watchdog watchdog_{120};
    RecordingUi ui_;
    bool is64_ = true;
    bool countrySupported_ = true;
    int countryQueries_ = 0;
    std::vector<std::string> uploadNames_;
};

// The user-log sender is one per process and stops for good at shut-down, so each run needs a
// process of its own; ctest runs every test alone.
#define REQUIRE_FRESH_PROCESS()                                                  \
    do {                                                                         \
        if (FreshRuns()++ > 0)                                                   \
            GTEST_SKIP() << "needs a process of its own (run it through ctest)"; \
    } while (0)

int& FreshRuns() {
    static int runs = 0;
    return runs;
}

const std::vector<std::string> kShutDown = {"clear resoure", " Wait exit 3", " Wait exit 4",
                                            " Wait exit 5"};

TEST_F(RunSequenceTest, OpensTheWindowRunsTheLoopThenWaitsAndShutsDownInOrder) {
    REQUIRE_FRESH_PROCESS();
    ui_.duringLoop = [] {
        // A second start while the window is open brings it to the front.
        EXPECT_TRUE(app::SingleInstance(185).ActivateExistingWindow());
    };
    EXPECT_EQ(Run(L""), 0);
    EXPECT_EQ(ui_.calls,
              (std::vector<std::string>{"open Zorvik Video Converter", "loop", "toolkit down"}));
    EXPECT_EQ(ui_.broughtToFront, 1);
    EXPECT_TRUE(LogHasInOrder({"new main window", " Wait exit 1", "Wait exit 2", "clear resoure",
                               " Wait exit 3", " Wait exit 4", " Wait exit 5"}));
    EXPECT_NE(Sent().find("WaitWindowThreadExit"), std::string::npos);
    EXPECT_NE(Sent().find("[0~3]s"), std::string::npos);
    EXPECT_EQ(countryQueries_, 0);  // department 0
    // The lock is free again and nobody answers for the window any more.
    EXPECT_FALSE(app::SingleInstance(185).ActivateExistingWindow());
    EXPECT_TRUE(app::SingleInstance(185).Acquire());
}

TEST_F(RunSequenceTest, AWindowThatCannotBeCreatedGoesStraightToShutDown) {
    REQUIRE_FRESH_PROCESS();
    ui_.windowOpens = false;
    EXPECT_EQ(Run(L""), 0);
    EXPECT_EQ(ui_.calls, (std::vector<std::string>{"open Zorvik Video Converter", "toolkit down"}));
    EXPECT_TRUE(LogHasInOrder(kShutDown));
    EXPECT_EQ(LogText().find("Wait exit 1"), std::string::npos);
}

TEST_F(RunSequenceTest, ForbiddenCountryShowsBox14InTheSystemLanguageAndExits) {
    REQUIRE_FRESH_PROCESS();
    countrySupported_ = false;
    EXPECT_EQ(Run(L"", [](CConfigure& config) { config.Department = 1; }), 0);
    EXPECT_EQ(ui_.calls, (std::vector<std::string>{"box 14 language 3", "toolkit down"}));
    std::vector<std::string> expected = {"product not support current country"};
    expected.insert(expected.end(), kShutDown.begin(), kShutDown.end());
    EXPECT_TRUE(LogHasInOrder(expected));
    const std::string sent = Sent();
    EXPECT_NE(sent.find("/g/collect"), std::string::npos) << sent;
    EXPECT_NE(sent.find("CountryStartupForbided"), std::string::npos) << sent;
    EXPECT_NE(sent.find("StartDownloader"), std::string::npos) << sent;
}

TEST_F(RunSequenceTest, Department2On32BitShowsBox13AndExits) {
    REQUIRE_FRESH_PROCESS();
    is64_ = false;
    EXPECT_EQ(Run(L"",
                  [](CConfigure& config) {
                      config.Department = 2;
                      config.Support32System = false;
                  }),
              0);
    EXPECT_EQ(ui_.calls, (std::vector<std::string>{"box 13 language 3", "toolkit down"}));
    EXPECT_TRUE(LogHasInOrder({"product not support 32 system", "clear resoure"}));
    EXPECT_NE(Sent().find("32bitStartupForbided"), std::string::npos);
}

TEST_F(RunSequenceTest, CrashReportModePacksAndLeavesWithoutShutDown) {
    REQUIRE_FRESH_PROCESS();
    EXPECT_EQ(Run(L"-dmp video_2024.log"), 0);
    EXPECT_TRUE(ui_.calls.empty());
    EXPECT_EQ(LogText().find("clear resoure"), std::string::npos);
    EXPECT_EQ(LogText().find("new main window"), std::string::npos);
}

TEST_F(RunSequenceTest, ASecondStartExitsWithoutWindowWhileAnotherProcessHoldsTheLock) {
    REQUIRE_FRESH_PROCESS();
    int toChild[2], fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t child = ::fork();
    if (child == 0) {  // the first instance: holds the lock, has no window
        platform::NamedMutex mutex(app::InstanceMutexName(185));
        const char state = mutex.Lock(0) ? 'y' : 'n';
        (void)!::write(fromChild[1], &state, 1);
        char done;
        (void)!::read(toChild[0], &done, 1);
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(fromChild[0], &state, 1), 1);
    ASSERT_EQ(state, 'y');

    EXPECT_EQ(Run(L""), 0);
    (void)!::write(toChild[1], "x", 1);
    ::waitpid(child, nullptr, 0);

    EXPECT_EQ(ui_.calls, (std::vector<std::string>{"toolkit down"}));
    std::vector<std::string> expected = {"mutex already exist"};
    expected.insert(expected.end(), kShutDown.begin(), kShutDown.end());
    EXPECT_TRUE(LogHasInOrder(expected));
    EXPECT_EQ(LogText().find("switch to existed window"), std::string::npos);
}

}  // namespace
