// The main window as a real Win32 window under Wine on the test stand's X display: a layered
// window of the installer's class that another process finds and brings forward, and that the
// pointer and keyboard of the X server (xdotool) drive as a person would.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <dwmapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "RecordingTasks.h"
#include "TempEnv.h"
#include "UiPages.h"
#include "WindowTestWorld.h"
#include "config/CConfigure.h"
#include "platform/Clock.h"
#include "platform/Text.h"
#include "toolkit/Container.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MessageBoxWnd.h"
#include "ui/ShellOpen.h"

namespace {

using uipages::Settle;
using uipages::SettleUntil;

// A started program; its handle, if it has one, is closed with the object.
class Started {
public:
    Started(const std::string& program, const std::vector<std::string>& args) {
        const std::wstring path = platform::Utf8ToWide(program);
        std::wstring line = L"\"" + path + L"\"";
        for (const auto& arg : args) line += L" \"" + platform::Utf8ToWide(arg) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        // Named apart from the command line: a program without ".exe" is then not looked up.
        if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            error_ = GetLastError();
            return;
        }
        // A Linux program Wine started comes without handles.
        started_ = true;
        if (info.hThread) CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    ~Started() {
        if (process_) CloseHandle(process_);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    bool Ok() const { return started_; }
    void Kill() const {
        if (process_) TerminateProcess(process_, 1);
    }
    unsigned long Error() const { return error_; }
    // The exit code once the program has ended, while the UI thread keeps running; -1 when it
    // did not end within `timeoutMs`.
    int ExitCode(int timeoutMs = 20000) const {
        if (!process_ ||
            !SettleUntil([&] { return WaitForSingleObject(process_, 0) == 0; }, timeoutMs))
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }

private:
    HANDLE process_ = nullptr;
    bool started_ = false;
    unsigned long error_ = 0;
};

// xdotool acting on the stand's display. Wine starts a Linux program named by its path on the
// drive that maps the root folder, but cannot tell when it ends: the tests wait for what it did.
void Xdotool(const std::vector<std::string>& words) {
    std::string program = std::string("Z:") + CVD_XDOTOOL;
    std::replace(program.begin(), program.end(), '/', '\\');
    Started xdotool(program, words);
    ASSERT_TRUE(xdotool.Ok()) << "xdotool could not be started: " << program << " error "
                              << xdotool.Error();
}

HWND FindByClass(const std::string& windowClass) {
    return FindWindowW(platform::Utf8ToWide(windowClass).c_str(), nullptr);
}

// A point of a window's client area in screen pixels, as X sees it.
POINT ScreenPoint(HWND window, int margin, toolkit::Point client) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left + margin + client.x, r.top + margin + client.y};
}

// Moves the pointer to `at` and then does `then` ("click 1", "key Escape", ...).
void PointerTo(POINT at, const std::vector<std::string>& then) {
    std::vector<std::string> words{"mousemove", "--sync", std::to_string(at.x),
                                   std::to_string(at.y)};
    words.insert(words.end(), then.begin(), then.end());
    Xdotool(words);
}

// Answers the first message box that opens with `answer` and remembers its kind and whether a
// window of the box's class was there.
class BoxWatcher {
public:
    explicit BoxWatcher(std::function<void(MessageBoxWnd&)> answer) {
        toolkit::RepeatOnUiThread(20, [state = state_, answer = std::move(answer)] {
            if (!state->active) return false;
            MessageBoxWnd* box = MessageBoxWnd::Topmost();
            if (!box || !state->kinds.empty()) return true;
            state->kinds.push_back(box->Kind());
            state->classFound = FindByClass("MESSAGEBOX_UI_Frame") != nullptr;
            answer(*box);
            return true;
        });
    }
    ~BoxWatcher() { state_->active = false; }
    const std::vector<int>& Kinds() const { return state_->kinds; }
    bool ClassFound() const { return state_->classFound; }

private:
    struct State {
        bool active = true;
        bool classFound = false;
        std::vector<int> kinds;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

class NativeMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(toolkit::InitShell());
        ASSERT_TRUE(uitest::LoadShippedSkin());
        uitest::BeginWindowWorld();
        ui::SetUrlOpener([](const std::string&) { return true; });
        ui::SetFileShower([](const std::string&) { return true; });
    }

    void TearDown() override {
        window_.reset();
        ui::SetUrlOpener(nullptr);
        ui::SetFileShower(nullptr);
        uitest::EndWindowWorld();
    }

    InstallUIMainWnd& OpenWindow() {
        window_ = uitest::OpenMainWindow(tasks_);
        return *window_;
    }

    // "CV_UI_Frame_<Downloader_id>": what a second start looks for.
    static std::string WindowClass() {
        return InstallUIMainWnd::ClassNameFor(CConfigure::Instance().Downloader_id);
    }
    // The shadow around the window, where the system blends it (never under Wine on X, where
    // it would show as a black frame).
    static int Margin() {
        BOOL composed = FALSE;
        return SUCCEEDED(DwmIsCompositionEnabled(&composed)) && composed ? 3 : 0;
    }
    POINT CentreOf(const char* control) const {
        const toolkit::Control* found = window_->FindControl(control);
        if (!found) {
            ADD_FAILURE() << "no control " << control;
            return {};
        }
        const toolkit::Rect r = found->GetPos();
        return ScreenPoint(FindByClass(WindowClass()), Margin(),
                           {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    int Page() const {
        auto* tab = window_->FindControl("main_tablayout")->As<toolkit::TabLayoutUI>("TabLayout");
        return tab ? tab->GetCurSel() : -1;
    }

    cvdtest::TempEnv env_;
    std::shared_ptr<uitest::RecordingTasks> tasks_ = std::make_shared<uitest::RecordingTasks>();
    std::unique_ptr<InstallUIMainWnd> window_;
};

// A key pressed in a message box, after a click on its text as a person would, so that the
// keyboard is the box's whatever had it before.
void KeyInBox(const std::string& key) {
    HWND box = FindByClass("MESSAGEBOX_UI_Frame");
    ASSERT_NE(box, nullptr);
    PointerTo(ScreenPoint(box, 0, {224, 60}), {"click", "1", "key", key});
}

TEST_F(NativeMainWindow, IsALayeredWindowOfItsClassThatASecondStartBringsForward) {
    InstallUIMainWnd& w = OpenWindow();
    HWND handle = FindByClass(WindowClass());
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(handle));
    // The skin's own size, with the shadow around it.
    EXPECT_EQ(w.ClientSize(), (toolkit::Size{650, 371}));
    RECT r{};
    GetWindowRect(handle, &r);
    EXPECT_EQ(r.right - r.left, 650 + 2 * Margin());
    EXPECT_EQ(r.bottom - r.top, 371 + 2 * Margin());

    w.Minimize();
    ASSERT_TRUE(SettleUntil([&] { return w.IsMinimized(); }));
    Started second(CVD_ACTIVATION_PROBE, {WindowClass()});
    ASSERT_TRUE(second.Ok());
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(SettleUntil([&] { return !w.IsMinimized(); }));

    Started nobody(CVD_ACTIVATION_PROBE, {WindowClass() + "_none"});
    EXPECT_EQ(nobody.ExitCode(), 1);
}

TEST_F(NativeMainWindow, PointerClickOnInstallReachesTheClickHandler) {
    OpenWindow();
    PointerTo(CentreOf("install_btn"), {"click", "1"});
    ASSERT_TRUE(SettleUntil([&] { return tasks_->begins == 1; }));
    EXPECT_EQ(Page(), 1);
}

TEST_F(NativeMainWindow, EscapeAsksToCancelAndContinuingGivesTheWindowBackItsInput) {
    InstallUIMainWnd& w = OpenWindow();
    {
        // Escape on the box closes it, which for this question means "continue".
        BoxWatcher carryOn([](MessageBoxWnd&) { KeyInBox("Escape"); });
        PointerTo(CentreOf("text_product_name"), {"click", "1", "key", "Escape"});
        ASSERT_TRUE(SettleUntil([&] { return !carryOn.Kinds().empty(); }));
        EXPECT_EQ(carryOn.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
        EXPECT_TRUE(carryOn.ClassFound());
        ASSERT_TRUE(SettleUntil([] { return MessageBoxWnd::Topmost() == nullptr; }));
    }
    ASSERT_TRUE(w.IsCreated());
    EXPECT_TRUE(w.IsVisible());
    PointerTo(CentreOf("install_btn"), {"click", "1"});
    EXPECT_TRUE(SettleUntil([&] { return tasks_->begins == 1; }));
}

TEST_F(NativeMainWindow, ABoxClosedWhileAnotherWindowIsActiveGivesItsOwnerBackItsInput) {
    InstallUIMainWnd& w = OpenWindow();
    HWND handle = FindByClass(WindowClass());
    HWND other = nullptr;
    BoxWatcher answer([&](MessageBoxWnd& box) {
        // The user has gone to another window when the box is answered.
        other = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetActiveWindow(other);
        box.Press("btn_yes");
    });
    w.ClickControl("closebtn");
    ASSERT_EQ(answer.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    ASSERT_NE(other, nullptr);
    DestroyWindow(other);
    ASSERT_TRUE(w.IsCreated());
    EXPECT_TRUE(IsWindowEnabled(handle));
    PointerTo(CentreOf("install_btn"), {"click", "1"});
    EXPECT_TRUE(SettleUntil([&] { return tasks_->begins == 1; }));
}

TEST_F(NativeMainWindow, CloseButtonAsksAndCancellingClosesTheWindow) {
    InstallUIMainWnd& w = OpenWindow();
    const std::string windowClass = WindowClass();
    BoxWatcher cancel([](MessageBoxWnd& box) { box.Press("btn_no"); });
    PointerTo(CentreOf("closebtn"), {"click", "1"});
    ASSERT_TRUE(SettleUntil([&] { return !w.IsCreated(); }));
    EXPECT_EQ(cancel.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    EXPECT_EQ(FindByClass(windowClass), nullptr);
    EXPECT_EQ(tasks_->begins, 0);
}

// The installer itself, in this test's private home: its main window comes up, and closing it
// ends the program with exit code 0.
TEST_F(NativeMainWindow, TheInstallerShowsItsMainWindowAndEndsWhenItCloses) {
    Started installer(CVD_INSTALLER, {});
    ASSERT_TRUE(installer.Ok());
    HWND handle = nullptr;
    ASSERT_TRUE(
        SettleUntil([&] { return (handle = FindByClass(WindowClass())) != nullptr; }, 60000));
    EXPECT_TRUE(GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_LAYERED);
    // Shown at the skin's size with the shadow around it, once its first picture is in.
    RECT r{};
    EXPECT_TRUE(SettleUntil([&] {
        GetWindowRect(handle, &r);
        return IsWindowVisible(handle) && r.right - r.left == 650 + 2 * Margin() &&
               r.bottom - r.top == 371 + 2 * Margin();
    })) << r.right - r.left
        << "x" << r.bottom - r.top;
    PostMessageW(handle, WM_CLOSE, 0, 0);
    const int code = installer.ExitCode(60000);
    if (code == -1) installer.Kill();
    EXPECT_EQ(code, 0);
}

}  // namespace
