#include "toolkit/WindowBase.h"

#include <map>

#include "shell/NativeWindow.h"
#include "toolkit/Builder.h"
#include "toolkit/Log.h"
#include "toolkit/Shell.h"

namespace toolkit {

void NativeWindow::DeliverWindowTimer(WindowBase& window, int id) { window.OnTimer(id); }

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
    NativeWindow* ownerWindow = owner && owner->host_ ? owner->host_.get() : nullptr;
    host_ = CreateNativeWindow(*this, caption, GetWindowClassName(), ownerWindow);
    manager_.SetHost(host_.get());
    InitWindow();
    return true;
}

bool WindowBase::IsCreated() const { return host_ && host_->Alive(); }

void WindowBase::ShowWindow(bool show) {
    if (IsCreated()) host_->Show(show);
}

bool WindowBase::IsVisible() const { return IsCreated() && host_->Visible(); }

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
    host_->MoveTo({x, y});
}

void WindowBase::Minimize() {
    if (IsCreated()) host_->Minimize();
}

void WindowBase::Restore() {
    if (IsCreated()) host_->Restore();
}

bool WindowBase::IsMinimized() const { return IsCreated() && host_->Minimized(); }

namespace {
struct ModalState {
    NestedLoop* loop = nullptr;
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
        it->second->loop->Quit();
    }
    // Deferred: the window may delete itself there, and we may be inside one of its handlers.
    PostToUiThread([window = this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) window->OnFinalMessage();
    });
}

int WindowBase::ShowModal() {
    if (!IsCreated()) return -1;
    host_->SetModal(true);
    CenterWindow();
    ShowWindow(true);
    NestedLoop loop;
    ModalState state;
    state.loop = &loop;
    ModalLoops()[this] = &state;
    loop.Run();
    ModalLoops().erase(this);
    return state.code;
}

void WindowBase::ResizeClient(Size size) {
    if (IsCreated())
        host_->ResizeClient(size);
    else
        manager_.SetClientSize(size);
}

Size WindowBase::ClientSize() const { return manager_.ClientSize(); }

Point WindowBase::ScreenPosition() const { return IsCreated() ? host_->Position() : Point{}; }

void WindowBase::MoveTo(Point screen) {
    if (IsCreated()) host_->MoveTo(screen);
}

bool WindowBase::SetIcon(const std::vector<std::uint8_t>& picture) {
    return IsCreated() && !picture.empty() && host_->SetIcon(picture);
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
