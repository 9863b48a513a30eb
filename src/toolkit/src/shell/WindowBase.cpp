#include "toolkit/WindowBase.h"

#include <map>

#include "shell/GtkWindowHost.h"
#include "toolkit/Builder.h"
#include "toolkit/Log.h"
#include "toolkit/Shell.h"

namespace toolkit {

WindowBase::WindowBase()
    : port_(MessagePort::Create([this](const PostedMessage& msg) { Dispatch(msg); })) {}

WindowBase::~WindowBase() {
    port_->Close();
    manager_.SetHost(nullptr);
    host_.reset();
}

bool WindowBase::Create(WindowBase* owner, const std::string& caption) {
    if (!InitShell()) {
        Log("no display for window " + GetWindowClassName());
        return false;
    }
    const std::string skin = GetSkinFile();
    Builder builder(&manager_);
    std::unique_ptr<Control> root = builder.Build(skin);
    if (!root) FailLayoutDocument(skin);
    manager_.AttachRoot(std::move(root));
    manager_.AddNotifier(this);
    owner_ = owner;
    caption_ = caption;
    GtkWindow* ownerWindow = owner && owner->host_ ? owner->host_->Window() : nullptr;
    host_ = std::make_unique<GtkWindowHost>(*this, caption, GetWindowClassName(), ownerWindow);
    manager_.SetHost(host_.get());
    InitWindow();
    return true;
}

bool WindowBase::IsCreated() const { return host_ && host_->Alive(); }

void WindowBase::ShowWindow(bool show) {
    if (!IsCreated()) return;
    if (show)
        gtk_widget_show(GTK_WIDGET(host_->Window()));
    else
        gtk_widget_hide(GTK_WIDGET(host_->Window()));
}

bool WindowBase::IsVisible() const {
    return IsCreated() && gtk_widget_get_visible(GTK_WIDGET(host_->Window()));
}

void WindowBase::CenterWindow() {
    if (!IsCreated()) return;
    const Size client = manager_.ClientSize();
    const int w = client.cx + 2 * host_->Margin(), h = client.cy + 2 * host_->Margin();
    int x, y;
    if (owner_ && owner_->IsCreated() && owner_->IsVisible()) {
        const Point o = owner_->ScreenPosition();
        const Size oc = owner_->ClientSize();
        x = o.x + (oc.cx - w) / 2;
        y = o.y + (oc.cy - h) / 2;
    } else {
        const Size screen = ScreenSize();
        x = (screen.cx - w) / 2;
        y = (screen.cy - h) / 2;
    }
    gtk_window_move(host_->Window(), x, y);
}

void WindowBase::Minimize() {
    if (IsCreated()) gtk_window_iconify(host_->Window());
}

void WindowBase::Restore() {
    if (!IsCreated()) return;
    gtk_window_deiconify(host_->Window());
    gtk_window_present(host_->Window());
}

bool WindowBase::IsMinimized() const { return IsCreated() && host_->Minimized(); }

namespace {
struct ModalState {
    GMainLoop* loop = nullptr;
    int code = 0;
};
std::map<const WindowBase*, ModalState*>& ModalLoops() {
    static std::map<const WindowBase*, ModalState*> loops;
    return loops;
}
}  // namespace

void WindowBase::Close(int code) {
    if (!IsCreated() || !OnClose()) return;
    host_->EndEdit();
    port_->Close();
    host_->Destroy();
    if (auto it = ModalLoops().find(this); it != ModalLoops().end()) {
        it->second->code = code;
        g_main_loop_quit(it->second->loop);
    }
    // Deferred: the window may delete itself there, and we may be inside one of its handlers.
    struct Final {
        WindowBase* window;
        std::weak_ptr<int> alive;
    };
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        +[](gpointer data) -> gboolean {
            auto* final = static_cast<Final*>(data);
            if (!final->alive.expired()) final->window->OnFinalMessage();
            return G_SOURCE_REMOVE;
        },
        new Final{this, alive_}, +[](gpointer data) { delete static_cast<Final*>(data); });
}

int WindowBase::ShowModal() {
    if (!IsCreated()) return -1;
    gtk_window_set_modal(host_->Window(), TRUE);
    CenterWindow();
    ShowWindow(true);
    ModalState state;
    state.loop = g_main_loop_new(nullptr, FALSE);
    ModalLoops()[this] = &state;
    g_main_loop_run(state.loop);
    ModalLoops().erase(this);
    g_main_loop_unref(state.loop);
    return state.code;
}

void WindowBase::ResizeClient(Size size) {
    if (IsCreated())
        host_->ResizeClient(size);
    else
        manager_.SetClientSize(size);
}

Size WindowBase::ClientSize() const { return manager_.ClientSize(); }

Point WindowBase::ScreenPosition() const {
    Point p;
    if (IsCreated()) gtk_window_get_position(host_->Window(), &p.x, &p.y);
    return p;
}

void WindowBase::MoveTo(Point screen) {
    if (IsCreated()) gtk_window_move(host_->Window(), screen.x, screen.y);
}

bool WindowBase::SetIcon(const std::vector<std::uint8_t>& picture) {
    if (!IsCreated() || picture.empty()) return false;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    const bool ok = gdk_pixbuf_loader_write(loader, picture.data(), picture.size(), nullptr) &&
                    gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* icon = ok ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (!ok) gdk_pixbuf_loader_close(loader, nullptr);
    if (icon) gtk_window_set_icon(host_->Window(), icon);
    g_object_unref(loader);
    return icon != nullptr;
}

bool WindowBase::SetTimer(int id, unsigned intervalMs) {
    return IsCreated() && host_->StartWindowTimer(id, intervalMs);
}

void WindowBase::KillTimer(int id) {
    if (host_) host_->StopWindowTimer(id);
}

bool WindowBase::PostWindowMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
    return port_->Post(message, wParam, lParam);
}

void WindowBase::Dispatch(const PostedMessage& msg) {
    bool handled = false;
    HandleCustomMessage(msg.message, msg.wParam, msg.lParam, handled);
    if (!handled && msg.message == kMsgClose) Close(0);
}

std::intptr_t WindowBase::HandleCustomMessage(unsigned, std::intptr_t, std::intptr_t,
                                              bool& handled) {
    handled = false;
    return 0;
}

bool WindowBase::OnTimer(int) { return false; }

bool WindowBase::KeyDown(Key key, bool shift) {
    if (manager_.OnKeyDown(key, shift)) return true;
    if (key == Key::Enter) return OnEnterKey();
    if (key == Key::Escape) return OnEscapeKey();
    return false;
}

void WindowBase::Notify(NotifyMsg& msg) {
    if (msg.type == "click")
        OnClick(msg);
    else if (msg.type == "selectchanged")
        OnSelectChange(msg);
    else if (msg.type == "itemselect")
        OnItemSelect(msg);
}

}  // namespace toolkit
