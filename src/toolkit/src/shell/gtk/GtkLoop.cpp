// The UI thread's task queue and nested loops over GLib's main context.
#include <glib.h>

#include "shell/NativeWindow.h"

namespace toolkit {

void PostToUiThread(std::function<void()> task) {
    using Task = std::function<void()>;
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        +[](gpointer data) -> gboolean {
            (*static_cast<Task*>(data))();
            return G_SOURCE_REMOVE;
        },
        new Task(std::move(task)), +[](gpointer data) { delete static_cast<Task*>(data); });
}

struct NestedLoop::State {
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    ~State() { g_main_loop_unref(loop); }
};

NestedLoop::NestedLoop() : state_(std::make_unique<State>()) {}
NestedLoop::~NestedLoop() = default;
void NestedLoop::Run() { g_main_loop_run(state_->loop); }
void NestedLoop::Quit() { g_main_loop_quit(state_->loop); }

}  // namespace toolkit
