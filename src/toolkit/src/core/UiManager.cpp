#include "toolkit/UiManager.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/FsPath.h"
#include "render/Backend.h"
#include "toolkit/Log.h"
#include "toolkit/ResourceManager.h"

namespace toolkit {
namespace {

// Fonts and defaults marked `shared` serve every window of the process.
struct SharedResources {
    std::mutex mutex;
    std::map<int, FontDesc> fonts;
    std::map<std::string, std::string, std::less<>> defaults;
};

SharedResources& Shared() {
    static SharedResources shared;
    return shared;
}

// Pictures downloaded at run time (banners) come from disk by absolute path.
std::optional<Bytes> ReadDiskFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool EnabledInTree(const Control* control) {
    for (; control; control = control->GetParent())
        if (!control->IsEnabled()) return false;
    return true;
}

std::atomic<bool> g_defaultRightToLeft{false};

}  // namespace

void UiManager::SetDefaultRightToLeft(bool rtl) { g_defaultRightToLeft = rtl; }
bool UiManager::DefaultRightToLeft() { return g_defaultRightToLeft; }

void UiManager::SetRightToLeft(bool rtl) {
    if (rtl == rtl_) return;
    rtl_ = rtl;
    needLayout_ = true;
    if (root_) Invalidate(root_->GetPos());
}

UiManager::UiManager() : rtl_(DefaultRightToLeft()), text_(&BackendTextEngine()) {}

UiManager::~UiManager() {
    // Controls tell the manager when they go; let them find it consistent.
    root_.reset();
}

void UiManager::SetWindowAttribute(std::string_view name, std::string_view value) {
    if (name == "size")
        window_.size = ParseSize(value);
    else if (name == "sizebox")
        window_.sizeBox = ParseRect(value);
    else if (name == "caption")
        window_.caption = ParseRect(value);
    else if (name == "showshadow")
        window_.showShadow = ParseBool(value);
    else if (name == "shadowsize")
        window_.shadowSize = ParseInt(value);
    else if (name == "linkfontcolor")
        window_.linkColor = ParseColor(value);
    else if (name == "linkhoverfontcolor")
        window_.linkHoverColor = ParseColor(value);
    else if (name == "bktrans")
        window_.layered = ParseBool(value);
    else if (name == "mininfo")
        window_.minSize = ParseSize(value);
    else if (name == "maxinfo")
        window_.maxSize = ParseSize(value);
    // gdiplustext and textrenderinghint: every backend draws text anti-aliased with alpha.
}

void UiManager::AddFont(int id, const FontDesc& font, bool shared) {
    if (shared) {
        std::lock_guard lock(Shared().mutex);
        Shared().fonts[id] = font;
    } else {
        fonts_[id] = font;
    }
}

FontDesc UiManager::Font(int id) const {
    if (auto it = fonts_.find(id); it != fonts_.end()) return it->second;
    std::lock_guard lock(Shared().mutex);
    if (auto it = Shared().fonts.find(id); it != Shared().fonts.end()) return it->second;
    return defaultFont_;
}

bool UiManager::HasFont(int id) const {
    if (fonts_.count(id)) return true;
    std::lock_guard lock(Shared().mutex);
    return Shared().fonts.count(id) != 0;
}

int UiManager::FindFont(const FontDesc& font) const {
    for (const auto& [id, desc] : fonts_)
        if (desc == font) return id;
    std::lock_guard lock(Shared().mutex);
    for (const auto& [id, desc] : Shared().fonts)
        if (desc == font) return id;
    return -1;
}

void UiManager::AddDefaultAttributes(const std::string& className, const std::string& value,
                                     bool shared) {
    if (shared) {
        std::lock_guard lock(Shared().mutex);
        Shared().defaults[className] = value;
    } else {
        defaults_[className] = value;
    }
}

const std::string* UiManager::DefaultAttributes(std::string_view className) const {
    if (auto it = defaults_.find(className); it != defaults_.end()) return &it->second;
    std::lock_guard lock(Shared().mutex);
    // Shared entries are never removed, so the pointer stays valid.
    if (auto it = Shared().defaults.find(className); it != Shared().defaults.end())
        return &it->second;
    return nullptr;
}

namespace {

// "skin\logo.png" -> "skin\logo@2x.png"; the name itself when it has no extension.
std::string DenseVariant(const std::string& path, int scale) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    const std::string suffix = "@" + std::to_string(scale) + "x";
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + suffix;
    return path.substr(0, dot) + suffix + path.substr(dot);
}

std::optional<Bytes> LoadPicture(const std::string& path) {
    auto& resources = ResourceManager::Instance();
    auto bytes = resources.Load(path);
    if (!bytes) bytes = resources.Load(resources.ResourceFolder() + path);
    if (bytes) return bytes;
    const std::filesystem::path file = platform::Utf8Path(path);
    if (file.is_absolute()) bytes = ReadDiskFile(file);
    return bytes;
}

}  // namespace

void UiManager::SetDeviceScale(int scale) {
    scale = std::clamp(scale, 1, 4);
    if (scale == deviceScale_) return;
    deviceScale_ = scale;
    images_.clear();
    if (root_) Invalidate(root_->GetPos());
}

ImagePtr UiManager::GetImage(const std::string& path, Color mask) {
    if (path.empty()) return nullptr;
    const std::string key = path + '|' + std::to_string(mask);
    if (auto it = images_.find(key); it != images_.end()) return it->second;
    ImagePtr image;
    if (deviceScale_ > 1) {
        if (auto dense = LoadPicture(DenseVariant(path, deviceScale_)))
            image = Image::Decode(*dense, mask, deviceScale_);
    }
    if (!image) {
        auto bytes = LoadPicture(path);
        image = bytes ? Image::Decode(*bytes, mask) : nullptr;
    }
    if (!image) {
        if (!missingLogged_[path]) Log("image " + path + " is not in the package");
        missingLogged_[path] = true;
        return nullptr;
    }
    images_[key] = image;
    return image;
}

void UiManager::AttachRoot(std::unique_ptr<Control> root) {
    root_ = std::move(root);
    if (root_) root_->SetManager(this, nullptr);
    needLayout_ = true;
}

std::unique_ptr<Control> UiManager::DetachRoot() {
    hover_ = capture_ = focus_ = nullptr;
    return std::move(root_);
}

Control* UiManager::FindControl(std::string_view name) const {
    return root_ && !name.empty() ? root_->FindSubControl(name) : nullptr;
}

Control* UiManager::FindControlAt(Point pt) const {
    return root_ ? root_->FindControlAt(pt) : nullptr;
}

void UiManager::ForgetControl(Control* control) {
    if (hover_ == control) hover_ = nullptr;
    if (capture_ == control) capture_ = nullptr;
    if (focus_ == control) focus_ = nullptr;
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second.control == control) {
            if (host_) host_->StopTimer(it->first);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [group, members] : groups_) std::erase(members, control);
}

void UiManager::SetClientSize(Size size) {
    if (size == clientSize_) return;
    clientSize_ = size;
    needLayout_ = true;
}

void UiManager::LayoutIfNeeded() {
    // A layout may show or hide tab pages, which asks for one more pass.
    for (int pass = 0; pass < 3 && needLayout_ && root_; ++pass) {
        needLayout_ = false;
        root_->SetPos({0, 0, clientSize_.cx, clientSize_.cy});
    }
    needLayout_ = false;
}

void UiManager::Invalidate(const Rect& rect) {
    if (host_) host_->Invalidate(rect);
}

void UiManager::Paint(Canvas& canvas, const Rect& clip) {
    LayoutIfNeeded();
    if (root_ && root_->IsVisible()) root_->DoPaint(canvas, clip);
    PaintFocusMark(canvas);
}

TextEngine& UiManager::Text() const { return *text_; }

void UiManager::SendEvent(Control* control, EventType type, Point pt) {
    if (!control) return;
    UiEvent event;
    event.type = type;
    event.pt = pt;
    control->DoEvent(event);
}

void UiManager::OnMouseMove(Point pt) {
    LayoutIfNeeded();
    if (capture_) {
        SendEvent(capture_, EventType::MouseMove, pt);
        return;
    }
    Control* hit = FindControlAt(pt);
    if (hit != hover_) {
        Control* old = hover_;
        hover_ = hit;
        SendEvent(old, EventType::MouseLeave, pt);
        SendEvent(hover_, EventType::MouseEnter, pt);
    }
    SendEvent(hover_, EventType::MouseMove, pt);
}

void UiManager::OnMouseLeave() {
    if (capture_) return;
    Control* old = hover_;
    hover_ = nullptr;
    SendEvent(old, EventType::MouseLeave, {});
}

void UiManager::OnButtonDown(Point pt) {
    LayoutIfNeeded();
    Control* hit = FindControlAt(pt);
    if (hit != hover_) OnMouseMove(pt);
    if (!hit || !EnabledInTree(hit)) return;
    // A click moves the keyboard focus along but hides its mark: the pointer shows where it is.
    if (hit->IsFocusable())
        SetFocus(hit, false);
    else if (focusMarked_)
        SetFocus(focus_, false);
    capture_ = hit;
    SendEvent(hit, EventType::ButtonDown, pt);
}

void UiManager::OnButtonUp(Point pt) {
    Control* target = capture_;
    capture_ = nullptr;
    SendEvent(target, EventType::ButtonUp, pt);
    OnMouseMove(pt);
}

void UiManager::OnDoubleClick(Point pt) {
    Control* hit = FindControlAt(pt);
    if (hit && EnabledInTree(hit)) SendEvent(hit, EventType::DoubleClick, pt);
}

void UiManager::OnWheel(Point pt, int delta) {
    Control* hit = FindControlAt(pt);
    if (!hit) return;
    UiEvent event;
    event.type = EventType::ScrollWheel;
    event.pt = pt;
    event.wheelDelta = delta;
    hit->DoEvent(event);
}

bool UiManager::SetTimer(Control* control, int id, unsigned intervalMs) {
    if (!control) return false;
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.control == control && it->second.id == id) {
            if (host_) host_->StopTimer(it->first);
            timers_.erase(it);
            break;
        }
    }
    const int token = nextTimerToken_++;
    timers_[token] = {control, id, intervalMs};
    if (host_) host_->StartTimer(token, intervalMs);
    return true;
}

void UiManager::KillTimer(Control* control, int id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.control == control && it->second.id == id) {
            if (host_) host_->StopTimer(it->first);
            timers_.erase(it);
            return;
        }
    }
}

bool UiManager::HasTimer(const Control* control, int id) const {
    return TimerInterval(control, id).has_value();
}

std::optional<unsigned> UiManager::TimerInterval(const Control* control, int id) const {
    for (const auto& [token, timer] : timers_)
        if (timer.control == control && timer.id == id) return timer.interval;
    return std::nullopt;
}

void UiManager::OnTimerToken(int token) {
    const auto it = timers_.find(token);
    if (it == timers_.end()) return;
    FireTimer(it->second.control, it->second.id);
}

void UiManager::FireTimer(Control* control, int id) {
    if (!control || !HasTimer(control, id)) return;
    UiEvent event;
    event.type = EventType::Timer;
    event.timerId = id;
    control->DoEvent(event);
}

void UiManager::AddOptionGroup(const std::string& group, Control* option) {
    auto& members = groups_[group];
    if (std::find(members.begin(), members.end(), option) == members.end())
        members.push_back(option);
}

void UiManager::RemoveOptionGroup(const std::string& group, Control* option) {
    if (auto it = groups_.find(group); it != groups_.end()) std::erase(it->second, option);
}

const std::vector<Control*>* UiManager::OptionGroup(const std::string& group) const {
    const auto it = groups_.find(group);
    return it == groups_.end() ? nullptr : &it->second;
}

void UiManager::AddNotifier(INotifyUI* listener) {
    if (listener && std::find(notifiers_.begin(), notifiers_.end(), listener) == notifiers_.end())
        notifiers_.push_back(listener);
}

void UiManager::RemoveNotifier(INotifyUI* listener) { std::erase(notifiers_, listener); }

void UiManager::SendNotify(Control* sender, const std::string& type, std::intptr_t wParam,
                           std::intptr_t lParam) {
    NotifyMsg msg;
    msg.type = type;
    msg.sender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    const std::vector<INotifyUI*> listeners = notifiers_;
    for (INotifyUI* listener : listeners) listener->Notify(msg);
}

}  // namespace toolkit
