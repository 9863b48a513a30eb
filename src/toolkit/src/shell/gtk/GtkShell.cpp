#include "toolkit/Shell.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/Display.h"

namespace toolkit {
namespace {

struct LoopState {
    GMainLoop* loop = nullptr;
    int code = 0;
};

LoopState& MainLoop() {
    static LoopState state;
    return state;
}

bool g_ready = false;
std::thread::id g_uiThread;

struct Invocation {
    const std::function<int()>* task;
    int result = 0;
    bool done = false;
    std::mutex mutex;
    std::condition_variable cv;
};

GdkMonitor* PrimaryMonitor() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
    return monitor;
}

std::optional<platform::DisplayFacts> ReadDisplayFacts() {
    GdkMonitor* monitor = PrimaryMonitor();
    if (!monitor) return std::nullopt;
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    const int scale = std::max(1, gdk_monitor_get_scale_factor(monitor));
    return platform::DisplayFacts{static_cast<double>(scale), area.width * scale,
                                  area.height * scale};
}

// GDK is asked on the UI thread only; other threads get what it said last.
void RegisterDisplayFacts() {
    static std::mutex mutex;
    static std::optional<platform::DisplayFacts> last;
    {
        std::lock_guard lock(mutex);
        last = ReadDisplayFacts();
    }
    platform::SetDisplayFactsSource([]() -> std::optional<platform::DisplayFacts> {
        std::optional<platform::DisplayFacts> now;
        if (std::this_thread::get_id() == g_uiThread) now = ReadDisplayFacts();
        std::lock_guard lock(mutex);
        if (now) last = now;
        return last;
    });
}

}  // namespace

bool InitShell() {
    if (!g_ready) {
        g_ready = gtk_init_check(nullptr, nullptr);
        if (g_ready) {
            g_uiThread = std::this_thread::get_id();
            RegisterDisplayFacts();
        }
    }
    return g_ready;
}

bool ShellReady() { return g_ready; }

int RunMessageLoop() {
    if (!InitShell()) return -1;
    LoopState& state = MainLoop();
    state.loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(state.loop);
    g_main_loop_unref(state.loop);
    state.loop = nullptr;
    return state.code;
}

void QuitMessageLoop(int code) {
    LoopState& state = MainLoop();
    state.code = code;
    if (state.loop) g_main_loop_quit(state.loop);
}

void PumpMessages() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

int InvokeOnUiThread(const std::function<int()>& task) {
    if (!g_ready || std::this_thread::get_id() == g_uiThread) return task();
    Invocation call;
    call.task = &task;
    // Not g_main_context_invoke: it runs the task right here when the UI thread is not iterating.
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        +[](gpointer data) -> gboolean {
            auto* c = static_cast<Invocation*>(data);
            const int result = (*c->task)();
            std::lock_guard lock(c->mutex);
            c->result = result;
            c->done = true;
            c->cv.notify_all();
            return G_SOURCE_REMOVE;
        },
        &call, nullptr);
    std::unique_lock lock(call.mutex);
    call.cv.wait(lock, [&] { return call.done; });
    return call.result;
}

void RepeatOnUiThread(unsigned intervalMs, std::function<bool()> tick) {
    using Tick = std::function<bool()>;
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, intervalMs,
        +[](gpointer data) -> gboolean {
            return (*static_cast<Tick*>(data))() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        },
        new Tick(std::move(tick)), +[](gpointer data) { delete static_cast<Tick*>(data); });
}

Size ScreenSize() {
    if (!InitShell()) return {};
    GdkMonitor* monitor = PrimaryMonitor();
    if (!monitor) return {};
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    return {area.width, area.height};
}

bool OpenUrl(const std::string& url) {
    if (url.empty()) return false;
    GError* error = nullptr;
    const bool ok = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
    if (error) g_error_free(error);
    return ok;
}

std::string FileUri(const std::string& path) {
    if (path.empty() || path[0] != '/') return {};
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri ? uri : "";
    g_free(uri);
    return text;
}

namespace {

// The session bus only where one already runs: asked for it otherwise, GLib would launch one.
GDBusConnection* RunningSessionBus() {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    bool running = address && *address;
    if (const char* runtime = g_getenv("XDG_RUNTIME_DIR"); !running && runtime && *runtime) {
        char* socket = g_build_filename(runtime, "bus", nullptr);
        running = g_file_test(socket, G_FILE_TEST_EXISTS);
        g_free(socket);
    }
    return running ? g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr) : nullptr;
}

bool OpenFolderOf(const std::string& fileUri) {
    GFile* file = g_file_new_for_uri(fileUri.c_str());
    GFile* parent = g_file_get_parent(file);
    bool ok = false;
    if (parent) {
        char* uri = g_file_get_uri(parent);
        ok = OpenUrl(uri);
        g_free(uri);
        g_object_unref(parent);
    }
    g_object_unref(file);
    return ok;
}

void OnShowItemsReply(GObject* bus, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::string> uri(static_cast<std::string*>(data));
    GError* error = nullptr;
    if (GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error))
        g_variant_unref(reply);
    if (!error) return;
    g_error_free(error);
    OpenFolderOf(*uri);
}

}  // namespace

bool ShowItemInFileManager(const std::string& fileUri) {
    if (fileUri.rfind("file:///", 0) != 0) return false;
    GDBusConnection* bus = RunningSessionBus();
    if (!bus) return OpenFolderOf(fileUri);
    const char* uris[] = {fileUri.c_str(), nullptr};
    // Asynchronous: a file manager that is slow to start never stalls the window.
    g_dbus_connection_call(bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                           "org.freedesktop.FileManager1", "ShowItems",
                           g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000,
                           nullptr, &OnShowItemsReply, new std::string(fileUri));
    g_object_unref(bus);
    return true;
}

std::optional<std::string> ChooseFolder(const std::string& title) {
    if (!InitShell()) return std::nullopt;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        title.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel",
        GTK_RESPONSE_CANCEL, "_Select", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(dialog), TRUE);
    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
            chosen = name;
            g_free(name);
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

void ShowErrorBox(const std::string& title, const std::string& text) {
    if (!InitShell()) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                            GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), title.c_str());
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

}  // namespace toolkit
