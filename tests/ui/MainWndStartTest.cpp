// "Use Now": the waiting animation in front of the product, the .NET check that leaves it out,
// and a package that is not a program, shown in the file manager.
#include <glib.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <mutex>
#include <thread>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "install/StartApp.h"
#include "sys/TextConvert.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/ShellOpen.h"

namespace uitest {
namespace {

// Watches from the UI loop (the animation runs modally inside the click) for a window with the
// product's name on screen while the main window is hidden: the waiting animation.
class WaitingWatch {
public:
    explicit WaitingWatch(InstallUIMainWnd& main) : main_(main) {
        source_ = g_timeout_add(20, reinterpret_cast<GSourceFunc>(&WaitingWatch::Tick), this);
    }
    ~WaitingWatch() { g_source_remove(source_); }
    bool Seen() const { return seen_; }

private:
    static gboolean Tick(WaitingWatch* self) {
        if (!self->main_.IsCreated() || self->main_.IsVisible()) return G_SOURCE_CONTINUE;
        GList* windows = gtk_window_list_toplevels();
        for (GList* it = windows; it; it = it->next) {
            GtkWindow* window = GTK_WINDOW(it->data);
            const char* title = gtk_window_get_title(window);
            if (gtk_widget_get_visible(GTK_WIDGET(window)) && title &&
                self->main_.Caption() == title)
                self->seen_ = true;
        }
        g_list_free(windows);
        return G_SOURCE_CONTINUE;
    }
    InstallUIMainWnd& main_;
    guint source_ = 0;
    bool seen_ = false;
};

class StartingTheProduct : public MainWindowTest {
protected:
    struct Start {
        std::wstring exe;
        std::thread::id thread;
    };

    // A window on its success view whose "Use Now" runs the real product start, with a starter
    // that only records.
    std::unique_ptr<InstallUIMainWnd> SuccessView() {
        tasks_->onStartApp = [this](install::IInstallPage& page) {
            install::StartSeams seams;
            seams.startMainExe = [this](const std::wstring& exe, std::int32_t,
                                        const std::wstring&) {
                std::lock_guard lock(mutex_);
                starts_.push_back({exe, std::this_thread::get_id()});
                return 0;
            };
            seams.openUrl = [](const std::wstring&) {};
            install::RunStartApp(page, seams);
        };
        auto w = OpenWindow();
        StartInstall(*w);
        Post(*w, WM_INSTALL_SUCCEEDED);
        return w;
    }
    std::vector<Start> Starts() {
        std::lock_guard lock(mutex_);
        return starts_;
    }

    std::mutex mutex_;
    std::vector<Start> starts_;
};

TEST_F(StartingTheProduct, UseNowPlaysTheWaitingAnimationWhileTheProductStarts) {
    CConfigure::Instance().Gif_duration = 1;
    auto w = SuccessView();
    WaitingWatch watch(*w);
    w->ClickControl("start_app");  // returns once the animation has closed
    Settle();
    EXPECT_TRUE(watch.Seen());
    const auto starts = Starts();
    ASSERT_EQ(starts.size(), 1u);
    // The animation window starts the product on a thread of its own.
    EXPECT_NE(starts[0].thread, std::this_thread::get_id());
    EXPECT_EQ(starts[0].exe, L"\"" + w->GetInstallPath() + L"/" +
                                 CConfigure::Instance().GetProcess_name() + L"\"");
    EXPECT_TRUE(SettleUntil([&] { return !w->IsCreated(); }));
}

TEST_F(StartingTheProduct, AProductThatChecksItsNetFrameworkStartsWithoutTheAnimation) {
    const struct {
        const char* settings;  // the product folder's NetFrameCheck.db
        int gifDuration;       // after the click
        bool waiting;
    } rows[] = {
        {"[Settings]\nNetFrameworkVersion=4.8\n", 0, false},
        {"[Text]\nNetFrameworkVersion=4.8\n", 1, true},
    };
    int folder = 0;
    for (const auto& row : rows) {
        CConfigure::Instance().Gif_duration = 1;
        starts_.clear();
        auto w = SuccessView();
        const std::string product = "product" + std::to_string(++folder);
        env_.WriteFile(product + "/NetFrameCheck.db", row.settings);
        w->SetInstallPath((env_.Root() / product).wstring());
        WaitingWatch watch(*w);
        w->ClickControl("start_app");
        Settle();
        EXPECT_EQ(CConfigure::Instance().Gif_duration, row.gifDuration) << row.settings;
        EXPECT_EQ(watch.Seen(), row.waiting) << row.settings;
        EXPECT_EQ(Starts().size(), 1u) << row.settings;
    }
}

TEST_F(StartingTheProduct, APackageThatIsNoProgramIsShownInTheFileManager) {
    CConfigure& config = CConfigure::Instance();
    config.SetDownload_url(L"https://cdn.example/zorvik_mobile.apk");
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_NOT_EXE_DONE);
    w->ClickControl("start_app");
    Settle();
    EXPECT_EQ(tasks_->startApps, 0);
    EXPECT_TRUE(opened_.empty());
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].rfind("file:///", 0), 0u) << shown_[0];
    char* path = g_filename_from_uri(shown_[0].c_str(), nullptr, nullptr);
    ASSERT_NE(path, nullptr) << shown_[0];
    EXPECT_EQ(std::string(path),
              FuntionImpl::Utf16ToUtf8(config.GetWorkDirectory() + config.GetPackageFileName()));
    g_free(path);
    // Only an absolute path becomes a URI.
    EXPECT_FALSE(ui::ShowInFileManager("relative/zorvik_mobile.apk"));
    EXPECT_EQ(shown_.size(), 1u);
}

}  // namespace
}  // namespace uitest
