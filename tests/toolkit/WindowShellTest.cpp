// Real windows on a private Xvfb display, driven with real pointer events from xdotool.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "SkinFixture.h"
#include "XvfbDisplay.h"
#include "platform/Display.h"
#include "toolkit/Edit.h"
#include "toolkit/Shell.h"
#include "toolkit/WindowBase.h"

namespace toolkit {
namespace {

XvfbDisplay* g_display = nullptr;
pid_t g_xvfb = 0;

class ShellEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        g_display = new XvfbDisplay();
        g_xvfb = g_display->Pid();
        // A threading bug must fail fast instead of hanging the run.
        std::signal(SIGALRM, [](int) {
            if (g_xvfb > 0) kill(g_xvfb, SIGTERM);
            _exit(3);
        });
        alarm(90);
    }
    void TearDown() override {
        alarm(0);
        delete g_display;
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

const char* kLayout = R"(<Window size="300,200" caption="0,0,0,40" sizebox="4,4,6,6" bktrans="true">
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="40" bkcolor="#FF8372FF"><Button name="closebtn" width="20" height="20" bkcolor="#FF000000"/></HorizontalLayout>
    <HorizontalLayout height="60"><Button name="left" width="100" bkcolor="#FFFF0000"/><Button name="right" width="100" bkcolor="#FF00FF00"/></HorizontalLayout>
    <HorizontalLayout height="30"><Edit name="path" width="200" text="/opt" autoselall="true"/>
      <Combo name="lang" width="100" dropboxsize="100,200"><ListLabelElement text="en" height="20"/><ListLabelElement text="de" height="20"/><ListLabelElement text="fr" height="20"/></Combo></HorizontalLayout>
    <Control/>
  </VerticalLayout></Window>)";

class TestWindow : public WindowBase {
public:
    std::vector<std::string> clicks;
    std::vector<std::string> selections;
    int ticks = 0;
    int enters = 0;
    int escapes = 0;
    std::atomic<int> posted{0};
    std::thread::id postedOn;
    int modalCode = 0;

protected:
    std::string GetWindowClassName() const override { return "CVD_TEST_Frame"; }
    std::string GetSkinFile() override { return "Test.xml"; }
    void OnClick(NotifyMsg& msg) override {
        clicks.push_back(msg.sender->GetName());
        if (msg.sender->GetName() == "right") Close(modalCode);
    }
    void OnItemSelect(NotifyMsg& msg) override { selections.push_back(msg.sender->GetText()); }
    bool OnEnterKey() override { return ++enters > 0; }
    bool OnEscapeKey() override { return ++escapes > 0; }
    bool OnTimer(int id) override {
        if (id != 5) return false;
        if (++ticks == 3) KillTimer(5);
        return true;
    }
    std::intptr_t HandleCustomMessage(unsigned message, std::intptr_t wParam, std::intptr_t,
                                      bool& handled) override {
        if (message != 0x0400 + 7) return 0;
        handled = true;
        postedOn = std::this_thread::get_id();
        posted += static_cast<int>(wParam);
        return 0;
    }
};

// Pumps the main loop until `done` or about two seconds have passed.
template <class F>
bool PumpUntil(F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done() && std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(nullptr, FALSE);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

void PumpFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(nullptr, FALSE);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Click(int x, int y) {
    const std::string cmd =
        "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

class WindowShell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_display && g_display->Ok()) << "Xvfb did not start";
        ASSERT_TRUE(InitShell());
        skin.Add("Test.xml", kLayout);
        ASSERT_TRUE(skin.Install());
    }
    // Shows `w` at screen position (100, 100) and waits until it is mapped.
    void ShowAt(WindowBase& w) {
        ASSERT_TRUE(w.Create(nullptr, "Test"));
        w.ShowWindow(true);
        w.MoveTo({100, 100});
        PumpUntil([&] { return w.ScreenPosition() == Point{100, 100}; });
        PumpMessages();
    }
    SkinFixture skin;
};

TEST_F(WindowShell, RealClickReachesTheControlUnderThePointer) {
    TestWindow w;
    ShowAt(w);
    Click(100 + 50, 100 + 70);  // "left" spans x 0..100, y 40..100
    EXPECT_TRUE(PumpUntil([&] { return w.clicks.size() >= 1; }));
    Click(100 + 20, 100 + 150);  // the spacer below takes no clicks
    Click(100 + 150, 100 + 70);
    EXPECT_TRUE(PumpUntil([&] { return w.clicks.size() >= 2; }));
    EXPECT_EQ(w.clicks, (std::vector<std::string>{"left", "right"}));
}

TEST_F(WindowShell, CaptionBandMovesTheWindowButItsButtonsStillClick) {
    TestWindow w;
    ShowAt(w);
    ASSERT_EQ(
        std::system(
            "xdotool mousemove 250 120 mousedown 1 && sleep 0.1 && xdotool mousemove 280 150 && "
            "sleep 0.1 && xdotool mousemove 300 170 && sleep 0.1 && xdotool mouseup 1"),
        0);
    EXPECT_TRUE(PumpUntil([&] {
        return w.ScreenPosition() == Point{150, 150};
    })) << w.ScreenPosition().x
        << "," << w.ScreenPosition().y;
    EXPECT_TRUE(w.clicks.empty());
    const Point at = w.ScreenPosition();
    Click(at.x + 10, at.y + 10);  // closebtn sits inside the caption band
    EXPECT_TRUE(PumpUntil([&] { return !w.clicks.empty(); }));
    EXPECT_EQ(w.clicks, std::vector<std::string>{"closebtn"});
    w.Close();
}

TEST_F(WindowShell, NativeEntryEditsTheEditControl) {
    TestWindow w;
    ShowAt(w);
    Click(100 + 50, 100 + 115);  // the edit: y 100..130
    auto* edit = w.FindControl("path")->As<EditUI>("Edit");
    ASSERT_TRUE(PumpUntil([&] { return edit->IsEditing(); })) << edit->GetPos().top;
    // autoselall: typing replaces the whole text.
    ASSERT_EQ(std::system("xdotool type --delay 5 /home/x"), 0);
    EXPECT_TRUE(PumpUntil([&] { return edit->GetText() == "/home/x"; })) << "while editing";
    ASSERT_EQ(std::system("xdotool key Return"), 0);
    EXPECT_TRUE(PumpUntil([&] { return !edit->IsEditing(); }));
    EXPECT_TRUE(PumpUntil([&] { return edit->GetText() == "/home/x"; })) << edit->GetText();
    w.Close();
}

TEST_F(WindowShell, ComboDropListSelectsTheClickedItem) {
    TestWindow w;
    ShowAt(w);
    Click(100 + 250, 100 + 115);  // the combo: x 200..300
    PumpFor(300);
    Click(100 + 250, 100 + 130 + 30);  // second row of the list below the combo
    EXPECT_TRUE(PumpUntil([&] { return !w.selections.empty(); }));
    EXPECT_EQ(w.selections, std::vector<std::string>{"de"});
    w.Close();
}

void Keys(const std::string& keys) {
    ASSERT_EQ(std::system(("xdotool key --delay 30 " + keys).c_str()), 0);
}

TEST_F(WindowShell, KeyboardAloneWalksActsTypesAndLeavesTheEntryWithTab) {
    TestWindow w;
    ShowAt(w);
    ASSERT_EQ(std::system("xdotool mousemove 150 260"), 0);  // keys go to the window under it
    Keys("Return");
    EXPECT_TRUE(PumpUntil([&] { return w.enters == 1; })) << "Enter with nothing focused";
    Keys("Tab Tab space");  // closebtn, then left
    EXPECT_TRUE(PumpUntil([&] { return w.clicks.size() == 1; }));
    EXPECT_EQ(w.FindControl("left"), w.Manager().Focus());
    EXPECT_TRUE(w.Manager().IsFocusMarked());
    Keys("Tab Tab");  // right, then the edit, whose native entry takes the typing
    auto* edit = w.FindControl("path")->As<EditUI>("Edit");
    ASSERT_TRUE(PumpUntil([&] { return edit->IsEditing(); }));
    ASSERT_EQ(std::system("xdotool type --delay 5 /srv/x"), 0);
    Keys("Tab");
    EXPECT_TRUE(PumpUntil([&] { return !edit->IsEditing(); }));
    EXPECT_EQ(edit->GetText(), "/srv/x");
    EXPECT_EQ(w.FindControl("lang"), w.Manager().Focus());
    Keys("shift+Tab");  // back into the entry
    EXPECT_TRUE(PumpUntil([&] { return edit->IsEditing(); }));
    Keys("Escape");
    EXPECT_TRUE(PumpUntil([&] { return w.escapes == 1; }));
    EXPECT_FALSE(edit->IsEditing());
    EXPECT_EQ(w.clicks, std::vector<std::string>{"left"});
    w.Close();
}

// What the X server shows at a screen pixel, as "r,g,b".
std::string ScreenPixel(int x, int y) {
    const std::string cmd = "import -window root -crop 1x1+" + std::to_string(x) + "+" +
                            std::to_string(y) + " -depth 8 txt:- 2>/dev/null | tail -1";
    std::string out;
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f)) out += buf;
        pclose(f);
    }
    const auto open = out.find('('), close = out.find(')');
    return open == std::string::npos ? out : out.substr(open + 1, close - open - 1);
}

// The size X gives the window named `title`, as "WxH".
std::string WindowSize(const std::string& title) {
    const std::string cmd =
        "xdotool search --name '^" + title + "$' getwindowgeometry | grep Geometry";
    std::string out;
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, f)) out += buf;
        pclose(f);
    }
    const auto colon = out.find(':');
    return colon == std::string::npos ? out : out.substr(colon + 2, out.find('\n') - colon - 2);
}

TEST_F(WindowShell, KeyboardChoosesFromTheDropList) {
    TestWindow w;
    ShowAt(w);
    ASSERT_EQ(std::system("xdotool mousemove 150 260"), 0);
    w.Manager().SetFocus(w.FindControl("lang"));
    Keys("space");
    PumpFor(300);
    Keys("Down Down Return");
    EXPECT_TRUE(PumpUntil([&] { return !w.selections.empty(); }));
    EXPECT_EQ(w.selections, std::vector<std::string>{"de"});
    w.Close();
}

TEST_F(WindowShell, EdgesDoNotResizeTheWindow) {
    TestWindow w;
    ShowAt(w);
    ASSERT_EQ(WindowSize("Test"), "300x200");
    // A drag from inside the layout's sizebox at the bottom-right corner.
    ASSERT_EQ(std::system("xdotool mousemove 398 298 mousedown 1 && sleep 0.1 && xdotool "
                          "mousemove 450 350 && sleep 0.1 && xdotool mouseup 1"),
              0);
    PumpFor(200);
    EXPECT_EQ(WindowSize("Test"), "300x200");
    // The window's own code still sizes it.
    w.ResizeClient({300, 240});
    PumpUntil([&] { return WindowSize("Test") == "300x240"; });
    EXPECT_EQ(WindowSize("Test"), "300x240");
    w.Close();
}

class LayoutWindow : public TestWindow {
public:
    explicit LayoutWindow(std::string file) : file_(std::move(file)) {}

protected:
    std::string GetSkinFile() override { return file_; }

private:
    std::string file_;
};

TEST_F(WindowShell, WithoutACompositorRoundedCornersShowWhatIsBehindNotBlack) {
    skin.Add("Desk.xml", R"(<Window size="300,200"><Control bkcolor="#FF3366CC"/></Window>)");
    skin.Add("Round.xml", R"(<Window size="200,100" bktrans="true">
        <Control bkcolor="#FFFFFFFF" colorround="20"/></Window>)");
    ASSERT_TRUE(skin.Install());
    LayoutWindow desk("Desk.xml"), round("Round.xml");
    ShowAt(desk);
    ShowAt(round);
    PumpFor(300);
    EXPECT_EQ(ScreenPixel(101, 101), "51,102,204") << "the corner shows the window behind";
    EXPECT_EQ(ScreenPixel(200, 150), "255,255,255");
    round.Close();
    desk.Close();
}

TEST_F(WindowShell, ScreenFactsReachCodeBelowTheShell) {
    const auto facts = platform::CurrentDisplayFacts();
    ASSERT_TRUE(facts.has_value());
    EXPECT_EQ(facts->scale, 1.0);
    const Size screen = ScreenSize();
    EXPECT_EQ(facts->pixelWidth, screen.cx);
    EXPECT_EQ(facts->pixelHeight, screen.cy);
    EXPECT_GT(screen.cx, 0);
}

// GDK reads the desktop scale once, when it connects; a fresh process shows the doubled case.
TEST(WindowShellScaled, DoubledDesktopDrawsTheWindowAtTwiceThePixels) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("GDK_SCALE", "2", 1);
            if (!InitShell()) _exit(10);
            SkinFixture skin;
            skin.Add("Test.xml", kLayout);
            if (!skin.Install()) _exit(11);
            TestWindow w;
            if (!w.Create(nullptr, "Scaled")) _exit(12);
            w.ShowWindow(true);
            PumpFor(300);
            const auto facts = platform::CurrentDisplayFacts();
            const Size logical = ScreenSize();
            fprintf(stderr, "scale %d window %s facts %.1f %dx%d logical %dx%d\n",
                    w.Manager().DeviceScale(), WindowSize("Scaled").c_str(),
                    facts ? facts->scale : 0.0, facts ? facts->pixelWidth : 0,
                    facts ? facts->pixelHeight : 0, logical.cx, logical.cy);
            const bool ok = w.Manager().DeviceScale() == 2 && WindowSize("Scaled") == "600x400" &&
                            facts && facts->scale == 2.0 && facts->pixelWidth == 2 * logical.cx &&
                            facts->pixelHeight == 2 * logical.cy;
            _exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "scale 2 window 600x400 facts 2.0");
}

TEST_F(WindowShell, WindowTimerFiresUntilKilled) {
    TestWindow w;
    ASSERT_TRUE(w.Create(nullptr, "Test"));
    ASSERT_TRUE(w.SetTimer(5, 10));
    EXPECT_TRUE(PumpUntil([&] { return w.ticks >= 3; }));
    PumpFor(100);
    EXPECT_EQ(w.ticks, 3);
    w.Close();
}

TEST_F(WindowShell, MessagePostedFromAnotherThreadArrivesOnTheUiThread) {
    TestWindow w;
    ASSERT_TRUE(w.Create(nullptr, "Test"));
    std::thread poster([port = w.Port()] {
        for (int i = 0; i < 10; ++i) port.lock()->Post(0x0400 + 7, 1);
    });
    poster.join();
    EXPECT_TRUE(PumpUntil([&] { return w.posted == 10; }));
    EXPECT_EQ(w.postedOn, std::this_thread::get_id());
}

TEST_F(WindowShell, WorkerRunsAModalTaskOnTheUiThreadAndGetsItsResult) {
    std::thread::id ranOn;
    std::atomic<int> result{0};
    std::thread worker([&] {
        result = InvokeOnUiThread([&] {
            ranOn = std::this_thread::get_id();
            return 12;
        });
    });
    EXPECT_TRUE(PumpUntil([&] { return result == 12; }));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(WindowShell, MessagesToAClosedWindowAreDropped) {
    auto w = std::make_unique<TestWindow>();
    ASSERT_TRUE(w->Create(nullptr, "Test"));
    std::weak_ptr<MessagePort> port = w->Port();
    w->Close();
    EXPECT_FALSE(port.lock()->Post(0x0400 + 7, 1));
    w.reset();
    EXPECT_TRUE(port.expired());
    PumpMessages();
}

// Once the modal loop runs, the window is moved (waiting until it shows and has moved) and its
// "right" button clicked; a click that never arrives ends the loop with kLostClick instead of
// hanging the run.
TEST_F(WindowShell, ModalWindowReturnsTheCodeItClosesWith) {
    constexpr int kLostClick = -7;
    TestWindow w;
    w.modalCode = 7;
    ASSERT_TRUE(w.Create(nullptr, "Box"));
    std::thread clicker;
    g_idle_add(
        +[](gpointer data) -> gboolean {
            *static_cast<std::thread*>(data) = std::thread([] {
                std::system(
                    "timeout 15 xdotool search --sync --onlyvisible --name '^Box$' "
                    "windowmove --sync 200 200 >/dev/null 2>&1 && "
                    "xdotool mousemove 350 270 click 1");
            });
            return G_SOURCE_REMOVE;
        },
        &clicker);
    const guint watchdog = g_timeout_add_seconds(
        20,
        +[](gpointer data) -> gboolean {
            static_cast<TestWindow*>(data)->Close(kLostClick);
            return G_SOURCE_REMOVE;
        },
        &w);
    const int code = w.ShowModal();
    if (code != kLostClick) g_source_remove(watchdog);
    if (clicker.joinable()) clicker.join();
    EXPECT_EQ(code, 7) << (code == kLostClick ? "the click never reached the window" : "");
    EXPECT_EQ(w.clicks, std::vector<std::string>{"right"});
}

class MissingWindow : public TestWindow {
protected:
    std::string GetSkinFile() override { return "Missing.xml"; }
};

TEST_F(WindowShell, UnbuildableDocumentShowsTheErrorBoxAndExitsWithOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Answers the error box the way a user would, and shows what it said.
            g_timeout_add(
                200,
                +[](gpointer) -> gboolean {
                    for (GList* l = gtk_window_list_toplevels(); l; l = l->next) {
                        if (!GTK_IS_MESSAGE_DIALOG(l->data)) continue;
                        gchar* text = nullptr;
                        g_object_get(l->data, "text", &text, nullptr);
                        fprintf(stderr, "[%s] %s\n", gtk_window_get_title(GTK_WINDOW(l->data)),
                                text);
                        g_free(text);
                        gtk_dialog_response(GTK_DIALOG(l->data), GTK_RESPONSE_OK);
                    }
                    return G_SOURCE_CONTINUE;
                },
                nullptr);
            MissingWindow w;
            w.Create(nullptr, "Test");
        },
        ::testing::ExitedWithCode(1), "\\[cvd-toolkit\\] 加载资源文件失败：Missing.xml");
}

}  // namespace
}  // namespace toolkit
