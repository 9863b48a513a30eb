// The main window under Xvfb, with the install thread's messages posted as the thread posts them.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "UiPages.h"
#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/Progress.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/LanguageFiles.h"

namespace {

using uitest::BoxAnswerer;
using uitest::Settle;
using uitest::SettleUntil;

int Selected(InstallUIMainWnd& w, const char* tab) {
    auto* c = w.FindControl(tab);
    return c ? c->As<toolkit::TabLayoutUI>("TabLayout")->GetCurSel() : -1;
}

bool Visible(InstallUIMainWnd& w, const char* name) {
    auto* c = w.FindControl(name);
    return c && c->IsVisible();
}

// The combo item of a language code; -1 when the product does not offer it.
int ItemOf(toolkit::ComboUI& combo, const std::string& code) {
    for (int i = 0; i < combo.GetCount(); ++i)
        if (combo.GetListItem(i)->GetUserData() == code) return i;
    return -1;
}

std::string Text(InstallUIMainWnd& w, const char* name) {
    auto* c = w.FindControl(name);
    return c ? c->GetText() : std::string("<missing>");
}

class MainWindow : public uitest::WindowTest {
protected:
    // Clicks install and lets the running page come up.
    void StartInstall(InstallUIMainWnd& w) {
        w.ClickControl("install_btn");
        Settle();
        ASSERT_EQ(Selected(w, "main_tablayout"), 1);
    }
};

TEST(MainWindowRules, PacingIntervalOfTheInstallationStage) {
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(200ll * 1048576), 1168u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(716799), 0u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(716800), 4u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(0), 0u);
    EXPECT_EQ(InstallUIMainWnd::PacingInterval(-5), 0u);
}

TEST(MainWindowRules, TheHostPingedAfterAFailedDownload) {
    const struct {
        const wchar_t* url;
        int result;
        const wchar_t* host;
    } rows[] = {
        {L"https://cdn.example.com/pkg/setup.exe", 0, L"cdn.example.com"},
        {L"http://10.0.0.2:8080/a", 0, L"10.0.0.2:8080"},
        {L"", -1, L""},
        {L"http://localhost/setup", -2, L""},  // a bare host name: nothing is sent
        {L"https://cdn.example.com", -3, L""},
        {L"cdn.example.com/setup", -4, L""},
        {L"https:/.x/y", 0, L".x"},
        {L"a/.b/c", 0, L".b"},
    };
    for (const auto& row : rows) {
        std::wstring host;
        EXPECT_EQ(InstallUIMainWnd::PingHostOf(row.url, host), row.result)
            << FuntionImpl::Utf16ToUtf8(row.url);
        if (row.result == 0) EXPECT_EQ(host, row.host);
    }
}

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
    EXPECT_EQ(InstallUIMainWnd::ClassNameFor(17), "CV_UI_Frame_17");
    EXPECT_EQ(InstallUIMainWnd::ClassNameFor(0), "CV_UI_Frame");
}

TEST_F(MainWindow, StartsOnTheSettingsPageWithTheProposedFolderAndOneDotPerBanner) {
    auto w = OpenWindow();
    EXPECT_EQ(Selected(*w, "main_tablayout"), 0);
    EXPECT_EQ(Selected(*w, "page_layout"), 0);
    EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kNoResult);
    EXPECT_EQ(Text(*w, "install_btn"), "Install");
    EXPECT_EQ(Text(*w, "install_file_path_edit"), FuntionImpl::Utf16ToUtf8(w->GetDefaultPath()));
    EXPECT_EQ(w->GetDefaultPath().substr(w->GetDefaultPath().size() - 6), L"Zorvik");
    EXPECT_EQ(w->BannerCount(), 4);
    EXPECT_EQ(w->FindControl("hor_option")->As<toolkit::ContainerUI>("Container")->GetCount(), 4);
    EXPECT_EQ(w->ClientSize().cy, 371);  // settings folded
}

TEST_F(MainWindow, TheSettingsChevronGrowsAndShrinksTheWindow) {
    auto w = OpenWindow();
    auto* setting = w->FindControl("install_setting")->As<toolkit::OptionUI>("Option");
    setting->Selected(true, true);
    Settle();
    EXPECT_EQ(w->ClientSize().cy, 571);
    setting->Selected(false, true);
    Settle();
    EXPECT_EQ(w->ClientSize().cy, 371);
}

TEST_F(MainWindow, PagesFollowTheMessagesOfASuccessfulInstall) {
    auto w = OpenWindow();
    StartInstall(*w);
    EXPECT_EQ(Text(*w, "install_label"), language::InstallPageText(0, "wait_text_1"));
    EXPECT_EQ(w->ClientSize().cy, 360);

    Post(*w, WM_INSTALL_PROGRESS, 40);
    EXPECT_EQ(w->ProgressValue(), 40);
    EXPECT_NE(Text(*w, "install_label").find("40%"), std::string::npos);
    // Out of order: never backwards.
    Post(*w, WM_INSTALL_PROGRESS, 30);
    EXPECT_EQ(w->ProgressValue(), 40);
    Post(*w, WM_INSTALL_PROGRESS, 64);
    EXPECT_EQ(w->ProgressValue(), 64);

    Post(*w, WM_INSTALL_VERIFYING);
    EXPECT_EQ(w->ProgressValue(), 65);
    CConfigure::Instance().SetPackageSize(0);
    CConfigure::Instance().SetInstallStage(1);
    Post(*w, WM_INSTALL_RUNNING);
    EXPECT_GE(w->ProgressValue(), 70);
    // The installation stage runs up and holds at 98 while the product's installer works.
    ASSERT_TRUE(SettleUntil([&] { return w->ProgressValue() == 98; }));
    Settle();
    EXPECT_EQ(w->ProgressValue(), 98);
    EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kNoResult);

    // The installer ended: run-up to 100, then the success view.
    CConfigure::Instance().SetInstallStage(2);
    int lowest = w->ProgressValue(), last = lowest;
    ASSERT_TRUE(SettleUntil([&] {
        last = std::max(last, w->ProgressValue());
        lowest = std::min(lowest, w->ProgressValue());
        return w->ResultState() == InstallUIMainWnd::kResultShown;
    }));
    EXPECT_EQ(lowest, 98);
    EXPECT_EQ(w->ProgressValue(), 100);
    EXPECT_EQ(Selected(*w, "main_tablayout"), 0);
    EXPECT_EQ(Selected(*w, "page_layout"), 1);
    EXPECT_TRUE(Visible(*w, "layout_install_ok"));
    EXPECT_FALSE(Visible(*w, "layout_install_fail"));
    EXPECT_TRUE(Visible(*w, "start_app"));
    EXPECT_EQ(tasks_->startApps, 0);  // NeedStart_flag 0: the user starts it
}

TEST_F(MainWindow, ThePackageThatIsNotAnExecutableEndsOnTheResultView) {
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_NOT_EXE_DONE);
    EXPECT_EQ(w->ProgressValue(), 100);
    EXPECT_EQ(Selected(*w, "page_layout"), 1);
    EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown);
}

TEST_F(MainWindow, EachDownloadFailureShowsItsBoxAndTheFailureView) {
    const struct {
        int code;
        std::vector<int> boxes;
        int tooManyRequests;
    } rows[] = {
        {9, {MSG_INTERNET_FAIL}, 0},     {10, {MSG_INTERNET_TIMEOUT}, 0},
        {11, {MSG_INTERNET_TIMEOUT}, 1}, {14, {MSG_URL_FAIL}, 0},
        {6, {MSG_URL_FAIL}, 0},          {0, {}, 0},
    };
    for (const auto& row : rows) {
        tasks_->tooManyRequests = 0;
        auto w = OpenWindow();
        StartInstall(*w);
        Post(*w, WM_INSTALL_PROGRESS, 20);
        BoxAnswerer answer("btn_yes");
        Post(*w, WM_INSTALL_FAILED, static_cast<std::uintptr_t>(row.code));
        EXPECT_EQ(answer.Kinds(), row.boxes) << "code " << row.code;
        EXPECT_EQ(tasks_->tooManyRequests, row.tooManyRequests) << "code " << row.code;
        EXPECT_EQ(Selected(*w, "main_tablayout"), 0) << "code " << row.code;
        EXPECT_EQ(Selected(*w, "page_layout"), 1) << "code " << row.code;
        EXPECT_TRUE(Visible(*w, "layout_install_fail")) << "code " << row.code;
        EXPECT_FALSE(Visible(*w, "layout_install_ok")) << "code " << row.code;
        EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown);
    }
}

TEST_F(MainWindow, TimeoutAndSignatureFailureAskAndMayDiscardTheDownload) {
    const struct {
        std::uint32_t message;
        int box;
    } rows[] = {{WM_INSTALL_TIMEOUT, MSG_INSTALL_TIMEOUT},
                {WM_INSTALL_SIGNATURE_FAIL, MSG_MD5_FAIL}};
    for (const auto& row : rows) {
        tasks_->clears = 0;
        auto w = OpenWindow();
        StartInstall(*w);
        BoxAnswerer answer("btn_yes");
        Post(*w, row.message);
        Settle();
        EXPECT_EQ(answer.Kinds(), std::vector<int>{row.box});
        EXPECT_EQ(tasks_->clears, 1) << row.box;  // the box's confirm discards the files
        EXPECT_TRUE(Visible(*w, "layout_install_fail"));
        EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown);
    }
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

TEST_F(MainWindow, ThePathRecheckAcceptsTheFolderOnlyWhenTheCheckPasses) {
    auto w = OpenWindow();
    CConfigure::Instance().SetInstallState(0);
    tasks_->pathCheckPasses = false;
    Post(*w, WM_INSTALL_RECHECK_PATH);
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 0);
    tasks_->pathCheckPasses = true;
    Post(*w, WM_INSTALL_RECHECK_PATH);
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 1);
    EXPECT_EQ(tasks_->pathChecks, 2);
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

TEST_F(MainWindow, ThePageIsRenderedAgainInTheLanguageChosen) {
    auto w = OpenWindow(0);
    auto* combo = w->FindControl("language_combox")->As<toolkit::ComboUI>("Combo");
    // Only the languages the product offers stay in the list.
    EXPECT_EQ(combo->GetCount(), static_cast<int>(CConfigure::Instance().GetLanguage_str().size()));
    const int arabic = ItemOf(*combo, "ar");
    ASSERT_GE(arabic, 0);
    combo->SelectItem(arabic, true);
    Settle();
    EXPECT_EQ(CConfigure::Instance().GetLanguageIndex(), 8);
    EXPECT_EQ(Text(*w, "install_btn"), language::InstallPageText(8, "install_btn"));
    EXPECT_TRUE(w->Manager().IsRightToLeft());
    combo->SelectItem(ItemOf(*combo, "en"), true);
    Settle();
    EXPECT_EQ(Text(*w, "install_btn"), "Install");
    EXPECT_FALSE(w->Manager().IsRightToLeft());
}

TEST_F(MainWindow, ScreenshotsOfEveryPageInEnglishAndArabic) {
    namespace fs = std::filesystem;
    const fs::path folder = CVD_SCREENSHOT_DIR;
    fs::create_directories(folder);
    const std::pair<const char*, const char*> pages[] = {
        {"settings", "settings"},   {"licence", "licence"},       {"running:40", "running40"},
        {"verifying", "verifying"}, {"installing", "installing"}, {"success", "success"},
        {"failure", "failure"},
    };
    for (int language : {0, 8}) {
        for (const auto& [page, file] : pages) {
            auto w = OpenWindow(language);
            uipages::DriveTo(*w, *uipages::ParsePage(page));
            const fs::path out =
                folder /
                ((language == 0 ? std::string("en-") : std::string("ar-")) + file + ".png");
            std::string error;
            ASSERT_TRUE(uipages::WritePng(*w, out.string(), error)) << error;
            EXPECT_GT(fs::file_size(out), 1000u) << out;
        }
    }
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
        return uitest::RunWhileSettling(argv);
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
    const std::string id = uitest::WindowId(w->Caption());
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

// Where the window was when it closed, as the collector receives it.
class ClosingWindow : public MainWindow {
protected:
    ClosingWindow() {
        CConfigure::Instance().Init();
        CConfigure::Instance().NeedStart_flag = 0;
        CConfigure::Instance().SetDownload_url(L"https://cdn.example/Zorvik_setup.exe");
        CSingleUserLog::Instance().SetUserLogInfo(17, 61, "Zorvik Video Converter",
                                                  "https://cdn.example/Zorvik_setup.exe", false, 1);
    }

    // The close reasons received so far, oldest first (GA4 label and funnel property).
    std::vector<std::string> Reasons(std::size_t count) {
        std::vector<std::string> reasons;
        SettleUntil(
            [&] {
                reasons.clear();
                for (const auto& hit : collector.RequestsTo("/g/collect")) {
                    const std::string query = hit["query"].asString();
                    if (cvdtest::QueryValue(query, "ep.cv_category") == "CrashRate" &&
                        cvdtest::QueryValue(query, "ep.cv_action") == "Close")
                        reasons.push_back(cvdtest::QueryValue(query, "ep.cv_label"));
                }
                return reasons.size() >= count;
            },
            20000);
        return reasons;
    }
    std::size_t FunnelCloses(const std::string& reason) {
        std::size_t n = 0;
        for (const auto& report : collector.RequestsTo("/collect")) {
            const std::string body = report["body"].asString();
            if (body.find("CloseDownloader") != std::string::npos &&
                body.find("\"" + reason + "\"") != std::string::npos)
                ++n;
        }
        return n;
    }

    cvdtest::CollectorServer collector{{"--status", "/g/collect=204"}};
    cvdtest::TelemetryEnv world{collector.Host()};
};

TEST_F(ClosingWindow, EachPlaceReportsItsCloseReason) {
    ASSERT_TRUE(collector.Started());
    struct Case {
        const char* name;
        std::function<void(InstallUIMainWnd&)> reach;
        bool asks;
        const char* reason;
    };
    auto install = [this](InstallUIMainWnd& w, int percent) {
        StartInstall(w);
        Post(w, WM_INSTALL_PROGRESS, static_cast<std::uintptr_t>(percent));
    };
    const Case cases[] = {
        {"settings", [](InstallUIMainWnd&) {}, true, "close01"},
        {"downloading at 40", [&](InstallUIMainWnd& w) { install(w, 40); }, true, "close02"},
        {"verifying",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             Post(w, WM_INSTALL_VERIFYING);
         },
         true, "close04"},
        {"held at 98",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             CConfigure::Instance().SetPackageSize(0);
             CConfigure::Instance().SetInstallStage(1);
             Post(w, WM_INSTALL_RUNNING);
             ASSERT_TRUE(SettleUntil([&] { return w.ProgressValue() == 98; }));
         },
         true, "close03"},
        {"failure view",
         [&](InstallUIMainWnd& w) {
             install(w, 10);
             Post(w, WM_INSTALL_FAILED, 0);
         },
         false, "close05"},
        {"success, not started",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             Post(w, WM_INSTALL_NOT_EXE_DONE);
         },
         false, "close06"},
        {"success, started",
         [&](InstallUIMainWnd& w) {
             install(w, 64);
             Post(w, WM_INSTALL_NOT_EXE_DONE);
             w.ClickControl("start_app");
             Settle();
         },
         false, "close07"},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        CConfigure::Instance().SetInstallStage(0);
        auto w = OpenWindow();
        c.reach(*w);
        {
            BoxAnswerer cancel("btn_no");
            w->ClickControl("closebtn");
            Settle();
            ASSERT_TRUE(SettleUntil([&] { return !w->IsCreated(); })) << c.name;
            EXPECT_EQ(cancel.Kinds().size(), c.asks ? 1u : 0u) << c.name;
            if (c.asks) EXPECT_EQ(cancel.Kinds()[0], MSG_CANCEL_INSTALL) << c.name;
        }
        expected.push_back(c.reason);
    }
    EXPECT_EQ(Reasons(expected.size()), expected);
    for (const char* reason : {"close01", "close02", "close05", "close07"})
        EXPECT_TRUE(SettleUntil([&] { return FunnelCloses(reason) == 1; }, 20000)) << reason;
}

TEST_F(ClosingWindow, ContinuingTheCancelQuestionKeepsTheWindowRunning) {
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_PROGRESS, 40);
    {
        BoxAnswerer carryOn("btn_yes");
        w->ClickControl("closebtn");
        Settle();
        EXPECT_EQ(carryOn.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    }
    {
        BoxAnswerer closeBox("closebtn");  // the box's own close button also means continue
        w->ClickControl("closebtn");
        Settle();
        EXPECT_EQ(closeBox.Kinds(), std::vector<int>{MSG_CANCEL_INSTALL});
    }
    EXPECT_TRUE(w->IsCreated());
    EXPECT_TRUE(w->IsVisible());
    EXPECT_EQ(Selected(*w, "main_tablayout"), 1);
}

TEST_F(ClosingWindow, AltF4OnTheRunningPageClosesWithoutAsking) {
    ASSERT_TRUE(collector.Started());
    auto w = OpenWindow();
    StartInstall(*w);
    Post(*w, WM_INSTALL_PROGRESS, 40);
    const std::string id = uitest::WindowId(w->Caption());
    ASSERT_FALSE(id.empty());
    BoxAnswerer anyBox("btn_yes");
    ASSERT_EQ(uitest::RunWhileSettling({"xdotool", "windowfocus", "--sync", id, "key", "alt+F4"}),
              0);
    ASSERT_TRUE(SettleUntil([&] { return !w->IsCreated(); }));
    EXPECT_TRUE(anyBox.Kinds().empty());
    EXPECT_EQ(Reasons(1), std::vector<std::string>{"close02"});
}

}  // namespace
