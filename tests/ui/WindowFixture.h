// What the window tests share: one private Xvfb for the test program, the shipped skin package,
// a private home, a fresh configuration, a recording install flow, and helpers that run the UI
// thread while the test waits for something or while xdotool acts.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RecordingTasks.h"
#include "TempEnv.h"
#include "UiPages.h"
#include "install/InstallTasks.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MessageBoxWnd.h"

namespace toolkit {
class ComboUI;
}

namespace uitest {

using uipages::Settle;
using uipages::SettleUntil;
// Runs a command (xdotool, …) while the UI thread keeps running; its exit code.
int RunWhileSettling(const std::vector<std::string>& argv, int timeoutMs = 20000);

// Answers the next message box that opens with `button` and remembers its kind. `button`
// kWindowFrame closes the box by its window frame (as a window manager or Alt+F4 does).
inline constexpr const char* kWindowFrame = "window frame";
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::string button, std::function<void(MessageBoxWnd&)> inspect = nullptr);
    ~BoxAnswerer();
    const std::vector<int>& Kinds() const { return kinds_; }

private:
    static int Tick(void* self);
    std::string button_;
    std::function<void(MessageBoxWnd&)> inspect_;
    std::vector<int> kinds_;
    unsigned source_ = 0;
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    // A main window over the recording flow, created and shown, in `language`.
    std::unique_ptr<InstallUIMainWnd> OpenWindow(int language = 0);
    // Posts as the install thread does (through the window's message target) and settles.
    void Post(InstallUIMainWnd& window, std::uint32_t message, std::uintptr_t wParam = 0);

    cvdtest::TempEnv env_;
    std::shared_ptr<RecordingTasks> tasks_ = std::make_shared<RecordingTasks>();
    std::vector<std::string> opened_;  // addresses opened with the desktop's handler
    std::vector<std::string> shown_;   // files shown in the file manager, as URIs
};

// The X window of a shown toolkit window, found by its title; 0 when not found.
std::string WindowId(const std::string& title);

// What the main-window tests look at: the selected item of a tab layout (-1 when missing),
// whether a control shows, a control's text ("<missing>"), the combo item of a language code
// (-1 when the product does not offer it).
int Selected(InstallUIMainWnd& window, const char* tab);
bool Visible(InstallUIMainWnd& window, const char* name);
std::string Text(InstallUIMainWnd& window, const char* name);
int ItemOf(toolkit::ComboUI& combo, const std::string& code);

class MainWindowTest : public WindowTest {
protected:
    // Clicks install and lets the running page come up.
    void StartInstall(InstallUIMainWnd& window);
};

}  // namespace uitest
