// Start-up cost of the installer's face: from the process start tick to the first painted frame
// of the main window, through the same steps the installer takes (skin package, configuration,
// display, window). Prints one line, "first-frame-ms <n>"; the phases go to standard error.
//   cvd-startup-bench SKIN      (SKIN: a built installer, a skin zip or a skin folder)
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

#include "SkinInstall.h"
#include "config/CConfigure.h"
#include "platform/Clock.h"
#include "sys/Log.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"

namespace {

class NoInstall : public install::IInstallTasks {
public:
    std::int32_t BeginInstallTask(install::IInstallPage&) override { return -1; }
    bool IsCorrectInstallPath(install::IInstallPage&) override { return false; }
    void RunStartApp(install::IInstallPage&) override {}
    void ClearAPPData() override {}
    bool CountTooManyRequests() override { return false; }
};

std::uint32_t g_start = 0;

// Where the time goes, on standard error: "phase <name> <ms since the start tick>".
void Phase(const char* name) {
    std::fprintf(stderr, "phase %s %u\n", name, platform::TickCount() - g_start);
}

// Runs after the window and its children have drawn: the first frame is on screen.
gboolean AfterDraw(GtkWidget*, cairo_t*, gpointer) {
    static bool reported = false;
    if (!reported) {
        reported = true;
        std::printf("first-frame-ms %u\n", platform::TickCount() - g_start);
        std::fflush(stdout);
        toolkit::QuitMessageLoop(0);
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    g_start = platform::TickCount();
    if (argc != 2) {
        std::fprintf(stderr, "usage: cvd-startup-bench SKIN\n");
        return 2;
    }
    el::Loggers::reconfigureAllLoggers(el::ConfigurationType::ToStandardOutput, "false");
    std::string error;
    if (!cvdtools::InstallSkin(argv[1], error)) {
        std::fprintf(stderr, "cvd-startup-bench: %s\n", error.c_str());
        return 1;
    }
    Phase("skin package");
    CConfigure::Instance().Init();
    Phase("configuration");
    if (!toolkit::InitShell()) {
        std::fprintf(stderr, "cvd-startup-bench: no display\n");
        return 1;
    }
    Phase("display");
    InstallUIMainWnd window(std::make_shared<NoInstall>(), g_start, false);
    if (!window.CreateMainWindow()) return 1;
    Phase("window built");
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* it = toplevels; it; it = it->next)
        g_signal_connect_after(it->data, "draw", G_CALLBACK(AfterDraw), nullptr);
    g_list_free(toplevels);
    window.CenterWindow();
    window.ShowWindow(true);
    toolkit::RunMessageLoop();
    return 0;
}
