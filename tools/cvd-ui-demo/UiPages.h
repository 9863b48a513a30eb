// Driving the real main window (or a message box) to one of its pages with the same messages the
// install thread posts, and writing what it shows to a PNG at the window's real size. Used by
// cvd-ui-demo and by the window tests' screenshots.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "install/InstallTasks.h"

class InstallUIMainWnd;
namespace toolkit {
class WindowBase;
}

namespace uipages {

enum class PageKind { Settings, Licence, Running, Verifying, Installing, Success, Failure, Box };

struct Page {
    PageKind kind = PageKind::Settings;
    int value = 0;  // percent of a running page, kind of a box
};

// "settings", "licence", "running:40", "verifying", "installing", "success", "failure", "box:2".
std::optional<Page> ParsePage(const std::string& text);

// The install flow as far as a page needs it: the install click turns to the running page and
// nothing is downloaded, started or deleted.
class ShowOnlyTasks : public install::IInstallTasks {
public:
    std::int32_t BeginInstallTask(install::IInstallPage& window) override;
    bool IsCorrectInstallPath(install::IInstallPage&) override { return true; }
    void RunStartApp(install::IInstallPage&) override {}
    void ClearAPPData() override {}
    bool CountTooManyRequests() override { return true; }
};

// Handles what is pending on the UI thread.
void Settle();
// Runs the UI thread until `done` holds; false when `timeoutMs` passed first.
bool SettleUntil(const std::function<bool()>& done, int timeoutMs = 15000);
// Posts the install thread's messages that lead `window` to `page` and lets them arrive. Boxes
// the failure shows are confirmed as a user would.
void DriveTo(InstallUIMainWnd& window, const Page& page);
// The window's picture as it is now.
bool WritePng(toolkit::WindowBase& window, const std::string& path, std::string& error);
// A box of `kind` in `languageIndex`, built and written without being run.
bool WriteBoxPng(int kind, int languageIndex, const std::string& path, std::string& error);

}  // namespace uipages
