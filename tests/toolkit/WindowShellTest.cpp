// Real windows on a private Xvfb display, driven with real pointer events from xdotool.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "SkinFixture.h"
#include "XvfbDisplay.h"
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

TEST_F(WindowShell, ModalWindowReturnsTheCodeItClosesWith) {
    TestWindow w;
    w.modalCode = 7;
    ASSERT_TRUE(w.Create(nullptr, "Box"));
    std::thread clicker([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        std::system(
            "xdotool search --sync --name '^Box$' windowmove --sync 200 200 >/dev/null 2>&1");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::system("xdotool mousemove 350 270 click 1");
    });
    const int code = w.ShowModal();
    clicker.join();
    EXPECT_EQ(code, 7);
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
