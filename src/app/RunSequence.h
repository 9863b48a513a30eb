// The installer's run sequence, from the first instruction to the exit code: crash handler, skin
// package, configuration, log, HTTP library, crash-report mode, user-log sender, single
// instance, the start-up gates, the main window and its loop, then the shut-down in its fixed
// order. Every path returns 0; only the toolkit ends the process with 1 when a layout document
// cannot be built.
//
// The steps that touch the outside (skin, configuration, the word size, the country, the
// windows, the crash report) are hooks, so tests can run the sequence in-process.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/CrashReport.h"
#include "app/StartupGates.h"
#include "app/StartupUi.h"

namespace app {

struct RunHooks {
    std::function<void()> loadSkin;    // hands the skin package to the toolkit
    std::function<void()> initConfig;  // CConfigure from the skin's configuration document
    std::function<void()> installCrashHandler;
    GateFacts gates;
    CrashUploader uploadCrashReport;
    static RunHooks Real();
};

// The caption of the main window: a fixed text, not the configured product name.
inline constexpr wchar_t kMainWindowCaption[] = L"Zorvik Video Converter";

class RunSequence {
public:
    RunSequence(IStartupUi& ui, RunHooks hooks);
    // `commandLine` holds the arguments after the program, joined by blanks. Always 0.
    int Run(const std::wstring& commandLine);

private:
    void StartUp();
    void RunCrashReport(const std::wstring& logName);
    void StartUserLog();
    void RunMainWindow(class SingleInstance& instance);
    void WaitForWorkers();
    void ShutDown(class SingleInstance* instance);

    IStartupUi& ui_;
    RunHooks hooks_;
    std::uint32_t startTick_ = 0;
};

}  // namespace app
