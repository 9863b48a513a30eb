// The installer's run sequence with scripted windows, for the process-shell end-to-end tests:
// everything but the windows is the installer's own (skin, configuration, log, user-log sender,
// single instance, gates, crash handler, crash-report mode). What the windows are asked to do
// is appended to $CVD_SHELL_HOST_DIR/events-<pid>; files in that folder steer them:
//   hold-window   while it exists, opening the main window waits (a first instance without window)
//   quit          the message loop ends once it exists
// With the debug switch CrashTest on, the open window faults as the install click would.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/RunSequence.h"
#include "platform/CrashHandler.h"
#include "platform/Text.h"
#include "sys/DebugSettings.h"
#include "toolkit/ResourceManager.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kLongestWait = 120s;

class ScriptedUi : public app::IStartupUi {
public:
    explicit ScriptedUi(fs::path folder) : folder_(std::move(folder)) {}

    void ShowStartupBox(std::int32_t kind, std::int32_t language) override {
        Record("box " + std::to_string(kind) + " language " + std::to_string(language));
    }
    bool OpenMainWindow(const std::wstring& caption, std::uint32_t) override {
        WaitWhile([&] { return fs::exists(folder_ / "hold-window"); });
        Record("window open " + platform::WideToUtf8(caption));
        return true;
    }
    void RunMessageLoop() override {
        if (FuntionImpl::CrashTest()) platform::TriggerCrashForTest();
        WaitWhile([&] { return !fs::exists(folder_ / "quit"); });
        Record("loop end");
    }
    void BringMainWindowToFront() override { Record("front"); }
    void ShutDownToolkit() override {
        toolkit::ResourceManager::Instance().Release();
        Record("toolkit down");
    }

private:
    template <class Condition>
    void WaitWhile(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
        while (condition() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
    }
    void Record(const std::string& line) {
        std::lock_guard<std::mutex> guard(mutex_);
        std::ofstream(folder_ / ("events-" + std::to_string(::getpid())), std::ios::app)
            << line << std::endl;
    }

    fs::path folder_;
    std::mutex mutex_;
};

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("CVD_SHELL_HOST_DIR");
    ScriptedUi ui(folder ? folder : ".");
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(platform::Utf8ToWide(argv[i]));
    app::RunSequence sequence(ui, app::RunHooks::Real());
    return sequence.Run(app::JoinedCommandLine(arguments));
}
