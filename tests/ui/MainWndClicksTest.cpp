// The main window's clicks, links and keys, from the code and from mouse and keyboard (xdotool).
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "sys/TextConvert.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/LanguageFiles.h"

namespace uitest {
namespace {

using MainWindow = MainWindowTest;

TEST(MainWindowRules, FoldersChosenAndTypedBecomeTheInstallFolder) {
    EXPECT_EQ(InstallUIMainWnd::BrowsedFolder(L"/data/Tools"), L"/data/Tools/Zorvik");
    EXPECT_EQ(InstallUIMainWnd::BrowsedFolder(L"/data/Tools/"), L"/data/Tools/Zorvik");
    EXPECT_EQ(InstallUIMainWnd::BrowsedFolder(L"/data/Zorvik/x"), L"/data/Zorvik/x");
    const std::wstring name = L"Zorvik Video Converter";
    EXPECT_EQ(InstallUIMainWnd::FinalInstallPath(L"/data/Tools/Zorvik", name),
              L"/data/Tools/Zorvik/Zorvik Video Converter");
    EXPECT_EQ(InstallUIMainWnd::FinalInstallPath(L"/opt/Zorvik Video Converter", name),
              L"/opt/Zorvik Video Converter");
    // Backslashes typed by habit are folder separators here.
    EXPECT_EQ(InstallUIMainWnd::FinalInstallPath(L"\\srv\\apps\\", name),
              L"/srv/apps/Zorvik Video Converter");
}

TEST_F(MainWindow, RetryStartsTheInstallAgainAsARetry) {
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_FAILED, 0);
    EXPECT_FALSE(CConfigure::Instance().UserRetried);
    w->ClickControl("retry_btn");
    Settle();
    EXPECT_TRUE(CConfigure::Instance().UserRetried);
    EXPECT_EQ(tasks_->begins, 2);
    EXPECT_EQ(Selected(*w, "main_tablayout"), 1);
    EXPECT_TRUE(Visible(*w, "layout_install_ok"));
    EXPECT_FALSE(Visible(*w, "layout_install_fail"));
}

TEST_F(MainWindow, TheInstallClickAsksForTheLicenceWhenItIsNotTicked) {
    CConfigure::Instance().ChooseLicense = false;
    {
        auto w = OpenWindow();
        BoxAnswerer answer("btn_no");
        w->ClickControl("install_btn");
        Settle();
        EXPECT_EQ(answer.Kinds(), std::vector<int>{MSG_AGREE_LICENSE});
        EXPECT_EQ(tasks_->begins, 0);
        EXPECT_EQ(Selected(*w, "main_tablayout"), 0);
    }
    auto w = OpenWindow();
    BoxAnswerer answer("btn_yes");
    w->FindControl("install_file_path_edit")->SetText("/srv/apps");
    w->ClickControl("install_btn");
    Settle();
    EXPECT_EQ(answer.Kinds(), std::vector<int>{MSG_AGREE_LICENSE});
    ASSERT_EQ(tasks_->begins, 1);
    EXPECT_TRUE(w->FindControl("license_checkbox")->As<toolkit::OptionUI>("Option")->IsSelected());
    const std::wstring expected = L"/srv/apps/" + CConfigure::Instance().GetSoftware_name();
    EXPECT_EQ(tasks_->installPaths[0], expected);
    EXPECT_EQ(w->GetInstallPath(), expected);
}

TEST_F(MainWindow, LinksOpenTheirAddresses) {
    CConfigure& config = CConfigure::Instance();
    config.SetLinks("en", L"https://privacy.example/en", L"https://licence.example/en");
    config.PushDownloadUrl(L"https://cdn.example/Zorvik_setup.exe");
    auto w = OpenWindow();
    toolkit::Control* link = w->FindControl("license_link");
    w->Manager().SendNotify(link, "link", 0);
    w->Manager().SendNotify(link, "link", 1);
    w->Manager().SendNotify(w->FindControl("text_fail_advice"), "link", 0);
    ASSERT_EQ(opened_.size(), 3u);
    EXPECT_EQ(opened_[0], "https://privacy.example/en");
    EXPECT_EQ(opened_[1], "https://licence.example/en");
    EXPECT_EQ(opened_[2].rfind("https://cdn.example/Zorvik_setup.exe", 0), 0u);
}

// Picks `folder` in the next folder chooser that opens.

class ChooserAnswer {
public:
    explicit ChooserAnswer(std::string folder) : folder_(std::move(folder)) {
        source_ = g_timeout_add(50, reinterpret_cast<GSourceFunc>(&ChooserAnswer::Tick), this);
    }
    ~ChooserAnswer() {
        if (source_) g_source_remove(source_);
    }
    bool Answered() const { return answered_; }

private:
    static gboolean Tick(ChooserAnswer* self) {
        GList* windows = gtk_window_list_toplevels();
        for (GList* it = windows; it; it = it->next) {
            GtkWidget* widget = GTK_WIDGET(it->data);
            if (GTK_IS_FILE_CHOOSER_DIALOG(widget) && gtk_widget_get_visible(widget)) {
                // With no row selected, a folder chooser answers its current folder, which it
                // changes to once the folder has loaded.
                auto* chooser = GTK_FILE_CHOOSER(widget);
                char* current = gtk_file_chooser_get_filename(chooser);
                const bool there = current && self->folder_ == current;
                g_free(current);
                if (there) {
                    gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_ACCEPT);
                    self->answered_ = true;
                } else if (!self->asked_) {
                    gtk_file_chooser_set_current_folder(chooser, self->folder_.c_str());
                    self->asked_ = true;
                }
            }
        }
        g_list_free(windows);
        if (self->answered_) self->source_ = 0;
        return self->answered_ ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }
    std::string folder_;
    bool answered_ = false;
    bool asked_ = false;
    guint source_ = 0;
};

// A person with mouse and keyboard alone, through the X server (xdotool).

class DrivenWindow : public MainWindow {
protected:
    int Run(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunWhileSettling(argv);
    }
    // Clicks at the centre of a control, in the window's own coordinates.
    int Click(const std::string& id, toolkit::Control* control, int dy = 0) {
        const toolkit::Rect r = control->GetPos();
        return Run({"mousemove", "--sync", "--window", id, std::to_string((r.left + r.right) / 2),
                    std::to_string((r.top + r.bottom) / 2 + dy), "click", "1"});
    }
};

TEST_F(DrivenWindow, LanguageFolderLicenceAndInstallWithMouseAndKeyboard) {
    CConfigure::Instance().ChooseLicense = false;
    auto w = OpenWindow(0);
    // At the top of the 768-pixel screen, so the unfolded window and its drop list fit on it.
    w->MoveTo({100, 0});
    Settle();
    const std::string id = WindowId(w->Caption());
    ASSERT_FALSE(id.empty());
    ASSERT_EQ(Run({"windowfocus", "--sync", id}), 0);

    {  // Escape acts as the close button: the cancel question, answered "continue".
        BoxAnswerer carryOn("btn_yes");
        ASSERT_EQ(Run({"key", "Escape"}), 0);
        SettleUntil([&] { return !carryOn.Kinds().empty(); }, 5000);
        EXPECT_EQ(carryOn.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    }
    ASSERT_TRUE(w->IsCreated());
    ASSERT_EQ(Run({"windowfocus", "--sync", id}), 0);

    // Unfold the settings, then pick Arabic from the language list.
    ASSERT_EQ(Click(id, w->FindControl("install_setting")), 0);
    ASSERT_TRUE(SettleUntil([&] { return w->ClientSize().cy == 571; }));
    auto* combo = w->FindControl("language_combox")->As<toolkit::ComboUI>("Combo");
    ASSERT_EQ(Click(id, combo), 0);
    Settle();
    const toolkit::Rect box = combo->GetPos();
    const int itemHeight = combo->GetListItem(0)->GetFixedHeight();
    const int arabic = ItemOf(*combo, "ar");
    ASSERT_GE(arabic, 0);
    ASSERT_EQ(
        Run({"mousemove", "--sync", "--window", id, std::to_string(box.left + 40),
             std::to_string(box.bottom + arabic * itemHeight + itemHeight / 2), "click", "1"}),
        0);
    ASSERT_TRUE(SettleUntil([&] { return CConfigure::Instance().GetLanguageIndex() == 8; }));
    EXPECT_EQ(Text(*w, "install_btn"), language::InstallPageText(8, "install_btn"));
    EXPECT_TRUE(w->Manager().IsRightToLeft());

    // Type a folder.
    ASSERT_EQ(Run({"windowfocus", "--sync", id}), 0);
    ASSERT_EQ(Click(id, w->FindControl("install_file_path_edit")), 0);
    const std::string typed = (env_.Root() / "typed").string();
    ASSERT_EQ(Run({"key", "ctrl+a", "BackSpace", "type", "--delay", "5", typed}), 0);
    ASSERT_TRUE(SettleUntil([&] { return Text(*w, "install_file_path_edit") == typed; }))
        << Text(*w, "install_file_path_edit");

    // Browse for one. The click is the user's; inside the chooser (which runs its own loop, and
    // whose header bar lies above the screen without a window manager) the folder is picked
    // through GTK.
    const std::string chosen = (env_.Root() / "chosen").string();
    std::filesystem::create_directories(chosen);
    ChooserAnswer pick(chosen);
    ASSERT_EQ(Click(id, w->FindControl("browser_btn")), 0);
    ASSERT_TRUE(SettleUntil([&] { return pick.Answered(); }, 10000));
    ASSERT_TRUE(
        SettleUntil([&] { return Text(*w, "install_file_path_edit") == chosen + "/Zorvik"; }, 5000))
        << Text(*w, "install_file_path_edit");

    // Tick the licence and install with Enter.
    ASSERT_EQ(Run({"windowfocus", "--sync", id}), 0);
    auto* licence = w->FindControl("license_checkbox")->As<toolkit::OptionUI>("Option");
    ASSERT_FALSE(licence->IsSelected());
    ASSERT_EQ(Click(id, licence), 0);
    ASSERT_TRUE(SettleUntil([&] { return licence->IsSelected(); }));
    ASSERT_EQ(Run({"key", "Return"}), 0);
    ASSERT_TRUE(SettleUntil([&] { return tasks_->begins == 1; }));
    EXPECT_EQ(tasks_->installPaths[0], FuntionImpl::Utf8ToUtf16(chosen + "/Zorvik/") +
                                           CConfigure::Instance().GetSoftware_name());
    EXPECT_EQ(Selected(*w, "main_tablayout"), 1);
}

}  // namespace
}  // namespace uitest
