// cvd-ui-demo: look at a page of the installer's window without a network.
//   cvd-ui-demo [--lang N] [--page settings|licence|running:PERCENT|verifying|installing|
//                              success|failure|box:KIND] OUT.png
// Builds the real main window (or message box) from the skin package, drives it to the page
// with the messages the install thread posts, and writes a PNG at the window's real size. The
// skin is res/skin of the source tree, or the folder, zip or installer named by CVD_SKIN. Without
// a display the window is drawn on a private Xvfb.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "PrivateDisplay.h"
#include "SkinInstall.h"
#include "Utf8Main.h"
#include "UiPages.h"
#include "config/CConfigure.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "sys/Log.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: cvd-ui-demo [--lang N] [--page settings|licence|running:PERCENT|verifying|"
                 "installing|success|failure|box:KIND] OUT.png\n");
    return 2;
}

struct Options {
    int language = 0;
    uipages::Page page;
    std::string out;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--lang" || arg == "--page") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--lang") {
                char* end = nullptr;
                const long n = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end || n < 0 || n > 19) return false;
                options.language = static_cast<int>(n);
            } else {
                auto page = uipages::ParsePage(value);
                if (!page) return false;
                options.page = *page;
            }
        } else if (options.out.empty() && arg.rfind("--", 0) != 0) {
            options.out = arg;
        } else {
            return false;
        }
    }
    return !options.out.empty();
}

bool LoadSkin() {
    const std::wstring source = platform::EnvironmentValue(L"CVD_SKIN");
    std::string error;
    if (cvdtools::InstallSkin(source.empty() ? CVD_SKIN_SOURCE_DIR : platform::WideToUtf8(source),
                              error))
        return true;
    std::fprintf(stderr, "cvd-ui-demo: %s\n", error.c_str());
    return false;
}

// The demo must not leave the first-run marker on this machine, nor the report queue's named
// locks in the user's shared lock folder: records and locks go to a folder of its own that is
// removed afterwards.
class PrivateMachineState {
public:
    PrivateMachineState() {
        std::string error;
        const auto folder =
            platform::MakeFreshPrivateFolder(platform::TempFolder(), L"cvd-ui-demo-", error);
        if (!folder) return;
        folder_ = *folder;
        platform::SetEnvironmentValue(L"CVD_MACHINE_STATE_DIR", *folder);
        platform::SetEnvironmentValue(L"XDG_RUNTIME_DIR", *folder);
    }
    ~PrivateMachineState() {
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(platform::FsPath(folder_), ec);
    }

private:
    std::wstring folder_;
};

}  // namespace

int Utf8Main(int argc, char** argv) {
    const std::uint32_t start = platform::TickCount();
    Options options;
    if (!Parse(argc, argv, options)) return Usage();
    el::Loggers::reconfigureAllLoggers(el::ConfigurationType::ToStandardOutput, "false");
    PrivateMachineState state;
    cvdtools::PrivateDisplay display;
    if (!display.Ok() || !toolkit::InitShell()) {
        std::fprintf(stderr, "cvd-ui-demo: no display (and Xvfb could not be started)\n");
        return 1;
    }
    if (!LoadSkin()) return 1;
    CConfigure& config = CConfigure::Instance();
    config.Init();
    config.SetLanguageIndex(options.language);
    config.NeedStart_flag = 0;

    std::string error;
    if (options.page.kind == uipages::PageKind::Box) {
        if (!uipages::WriteBoxPng(options.page.value, options.language, options.out, error)) {
            std::fprintf(stderr, "cvd-ui-demo: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    InstallUIMainWnd window(std::make_shared<uipages::ShowOnlyTasks>(), start, false);
    window.SetOnClosed([] {});
    window.SetPinger([](const std::wstring&, int) { return -3; });  // no network: nothing to ping
    if (!window.CreateMainWindow()) {
        std::fprintf(stderr, "cvd-ui-demo: the window could not be created\n");
        return 1;
    }
    uipages::DriveTo(window, options.page);
    if (!uipages::WritePng(window, options.out, error)) {
        std::fprintf(stderr, "cvd-ui-demo: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
