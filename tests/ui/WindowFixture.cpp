#include "WindowFixture.h"

#include <glib.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "TelemetryEnv.h"
#include "WindowTestWorld.h"
#include "XvfbDisplay.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "platform/Clock.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Shell.h"
#include "toolkit/ZipArchive.h"
#include "ui/ShellOpen.h"
#include "ui/SkinPackage.h"

extern char** environ;

namespace uitest {

namespace {

// One display for the whole program: GTK connects once.
toolkit::XvfbDisplay& Display() {
    // The folder chooser keeps its settings; without a session bus they stay in memory.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    static toolkit::XvfbDisplay display;
    return display;
}

// The close request a window manager sends when its frame's close button is pressed.
void CloseByFrame(const std::string& title) {
    GList* windows = gtk_window_list_toplevels();
    for (GList* it = windows; it; it = it->next) {
        GtkWidget* widget = GTK_WIDGET(it->data);
        const char* caption = gtk_window_get_title(GTK_WINDOW(widget));
        if (!gtk_widget_get_visible(widget) || !caption || title != caption) continue;
        GdkEvent* event = gdk_event_new(GDK_DELETE);
        event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
        gtk_main_do_event(event);
        gdk_event_free(event);
        break;
    }
    g_list_free(windows);
}

}  // namespace

int RunWhileSettling(const std::vector<std::string>& argv, int timeoutMs) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    bool ended = false;
    SettleUntil(
        [&] {
            ended = waitpid(pid, &status, WNOHANG) == pid;
            return ended;
        },
        timeoutMs);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WindowId(const std::string& title) {
    const std::string command = "xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null";
    std::string id;
    SettleUntil(
        [&] {
            FILE* pipe = popen(command.c_str(), "r");
            if (!pipe) return false;
            char line[64] = {};
            id = std::fgets(line, sizeof line, pipe) ? std::string(line) : std::string();
            pclose(pipe);
            while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
            return !id.empty();
        },
        10000);
    return id;
}

BoxAnswerer::BoxAnswerer(std::string button, std::function<void(MessageBoxWnd&)> inspect)
    : button_(std::move(button)), inspect_(std::move(inspect)) {
    source_ = g_timeout_add(20, reinterpret_cast<GSourceFunc>(&BoxAnswerer::Tick), this);
}

BoxAnswerer::~BoxAnswerer() {
    if (source_) g_source_remove(source_);
}

int BoxAnswerer::Tick(void* data) {
    auto* self = static_cast<BoxAnswerer*>(data);
    if (MessageBoxWnd* box = MessageBoxWnd::Topmost()) {
        self->kinds_.push_back(box->Kind());
        if (self->inspect_) self->inspect_(*box);
        if (self->button_ == kWindowFrame)
            CloseByFrame(box->Caption());
        else
            box->Press(self->button_);
    }
    return G_SOURCE_CONTINUE;
}

WindowTest::WindowTest() {
    if (!Display().Ok()) {
        ADD_FAILURE() << "Xvfb could not be started";
        return;
    }
    if (!LoadShippedSkin()) ADD_FAILURE() << "the shipped skin could not be packed";
    BeginWindowWorld();
    ui::SetUrlOpener([this](const std::string& url) {
        opened_.push_back(url);
        return true;
    });
    ui::SetFileShower([this](const std::string& uri) {
        shown_.push_back(uri);
        return true;
    });
}

WindowTest::~WindowTest() {
    ui::SetUrlOpener(nullptr);
    ui::SetFileShower(nullptr);
    EndWindowWorld();
}

std::unique_ptr<InstallUIMainWnd> WindowTest::OpenWindow(int language) {
    CConfigure::Instance().SetLanguageIndex(language);
    return OpenMainWindow(tasks_);
}

void WindowTest::Post(InstallUIMainWnd& window, std::uint32_t message, std::uintptr_t wParam) {
    window.GetMessageTarget()->PostCustomMessage(message, wParam, 0);
    Settle();
}

int Selected(InstallUIMainWnd& window, const char* tab) {
    auto* c = window.FindControl(tab);
    auto* layout = c ? c->As<toolkit::TabLayoutUI>("TabLayout") : nullptr;
    return layout ? layout->GetCurSel() : -1;
}

bool Visible(InstallUIMainWnd& window, const char* name) {
    auto* c = window.FindControl(name);
    return c && c->IsVisible();
}

std::string Text(InstallUIMainWnd& window, const char* name) {
    auto* c = window.FindControl(name);
    return c ? c->GetText() : std::string("<missing>");
}

int ItemOf(toolkit::ComboUI& combo, const std::string& code) {
    for (int i = 0; i < combo.GetCount(); ++i)
        if (combo.GetListItem(i)->GetUserData() == code) return i;
    return -1;
}

void MainWindowTest::StartInstall(InstallUIMainWnd& window) {
    window.ClickControl("install_btn");
    Settle();
    ASSERT_EQ(Selected(window, "main_tablayout"), 1);
}

}  // namespace uitest
