#include "shell/win32/Win32WindowHost.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>

#include "platform/Text.h"
#include "render/d2d/Direct2D.h"
#include "shell/win32/LayeredSurface.h"
#include "shell/win32/Win32DropList.h"
#include "shell/win32/Win32Shell.h"

namespace toolkit {
namespace {

constexpr UINT kRepaint = WM_APP + 0x71;

// Control timers and window timers share the window's timer ids: the low bit tells them apart.
UINT_PTR ControlTimerId(int token) { return (static_cast<UINT_PTR>(token) << 1) | 1; }
UINT_PTR WindowTimerId(int id) { return static_cast<UINT_PTR>(id) << 1; }

void RegisterWindowClass(const std::wstring& name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
}

std::optional<Key> MapKey(WPARAM key) {
    switch (key) {
        case VK_TAB:
            return Key::Tab;
        case VK_RETURN:
            return Key::Enter;
        case VK_SPACE:
            return Key::Space;
        case VK_ESCAPE:
            return Key::Escape;
        case VK_UP:
            return Key::Up;
        case VK_DOWN:
            return Key::Down;
        default:
            return std::nullopt;
    }
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return platform::WideToUtf8(text);
}

// A window icon from picture bytes, through the toolkit's decoder.
HICON MakeIcon(const std::vector<std::uint8_t>& picture) {
    auto image = Image::Decode(picture);
    if (!image) return nullptr;
    const int w = image->PixelWidth(), h = image->PixelHeight();
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = w;
    header.bV5Height = -h;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                     DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color) return nullptr;
    std::copy(image->Pixels().begin(), image->Pixels().end(), static_cast<std::uint32_t*>(bits));
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

}  // namespace

std::unique_ptr<NativeWindow> CreateNativeWindow(WindowBase& window, const std::string& caption,
                                                 const std::string& className,
                                                 NativeWindow* owner) {
    auto* ownerHost = static_cast<Win32WindowHost*>(owner);
    return std::make_unique<Win32WindowHost>(window, caption, className,
                                             ownerHost ? ownerHost->Handle() : nullptr);
}

Win32WindowHost::Win32WindowHost(WindowBase& window, const std::string& caption,
                                 const std::string& className, HWND owner)
    : owner_(window), ownerHwnd_(owner) {
    const WindowAttributes& attrs = owner_.Manager().Window();
    // The shadow needs the system to blend it; where it does not, it would be a black frame.
    if (attrs.showShadow && win32::DesktopComposed()) margin_ = std::max(0, attrs.shadowSize);
    const std::wstring name = platform::Utf8ToWide(className);
    RegisterWindowClass(name, &Win32WindowHost::WindowProc);
    // Layered always: the skins draw rounded, partly transparent windows.
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | (owner ? 0 : WS_EX_APPWINDOW), name.c_str(),
                            platform::Utf8ToWide(caption).c_str(),
                            WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU, 0, 0, 1, 1, owner, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    scale_ = win32::DeviceScaleOf(hwnd_);
    owner_.Manager().SetDeviceScale(scale_);
    ResizeClient(attrs.size);
}

Win32WindowHost::~Win32WindowHost() { Destroy(); }

void Win32WindowHost::Destroy() {
    editing_ = nullptr;
    if (edit_) {
        DestroyWindow(edit_);
        edit_ = nullptr;
    }
    if (editFont_) DeleteObject(editFont_), editFont_ = nullptr;
    if (hwnd_) {
        HWND window = hwnd_;
        hwnd_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        // The owner takes input back before this window goes, as a dialog's does, whether or
        // not this window was the active one when it closed.
        if (modal_) SetModal(false);
        DestroyWindow(window);
    }
    if (icon_) DestroyIcon(icon_), icon_ = nullptr;
}

void Win32WindowHost::Show(bool show) {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE);
    if (show) {
        SetForegroundWindow(hwnd_);
        Repaint();
    }
}

bool Win32WindowHost::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Win32WindowHost::SetModal(bool modal) {
    modal_ = modal;
    if (ownerHwnd_) EnableWindow(ownerHwnd_, modal ? FALSE : TRUE);
}

void Win32WindowHost::ResizeClient(Size size) {
    owner_.Manager().SetClientSize(size);
    Repaint();
}

void Win32WindowHost::MoveTo(Point screen) {
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, screen.x * scale_, screen.y * scale_, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point Win32WindowHost::Position() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return {r.left / scale_, r.top / scale_};
}

void Win32WindowHost::Minimize() {
    if (hwnd_) ::ShowWindow(hwnd_, SW_MINIMIZE);
}

void Win32WindowHost::Restore() {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    Repaint();
}

bool Win32WindowHost::Minimized() const { return hwnd_ && IsIconic(hwnd_); }

bool Win32WindowHost::SetIcon(const std::vector<std::uint8_t>& picture) {
    HICON icon = MakeIcon(picture);
    if (!icon) return false;
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
    return true;
}

bool Win32WindowHost::StartWindowTimer(int id, unsigned intervalMs) {
    return hwnd_ && ::SetTimer(hwnd_, WindowTimerId(id), intervalMs, nullptr) != 0;
}

void Win32WindowHost::StopWindowTimer(int id) {
    if (hwnd_) ::KillTimer(hwnd_, WindowTimerId(id));
}

void Win32WindowHost::StartTimer(int token, unsigned intervalMs) {
    if (hwnd_) ::SetTimer(hwnd_, ControlTimerId(token), intervalMs, nullptr);
}

void Win32WindowHost::StopTimer(int token) {
    if (hwnd_) ::KillTimer(hwnd_, ControlTimerId(token));
}

void Win32WindowHost::Invalidate(const Rect&) {
    // A layered window is repainted whole; changes in one turn of the loop share one repaint.
    if (!hwnd_ || repaintPending_) return;
    repaintPending_ = true;
    PostMessageW(hwnd_, kRepaint, 0, 0);
}

void Win32WindowHost::PaintShadow(Canvas& canvas) const {
    // A soft edge: rings that fade out towards the border.
    const Size client = owner_.Manager().ClientSize();
    for (int i = 0; i < margin_; ++i) {
        const auto alpha = static_cast<Color>(255 * 0.10 * (i + 1) / margin_);
        const Rect ring{i, i, client.cx + 2 * margin_ - i, client.cy + 2 * margin_ - i};
        canvas.StrokeRect(ring, {1, 1, 1, 1}, (alpha << 24) | 0x000000);
    }
}

void Win32WindowHost::Repaint() {
    repaintPending_ = false;
    // A hidden window is painted when it is shown.
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
    UiManager& manager = owner_.Manager();
    const Size client = manager.ClientSize();
    const Size outer{client.cx + 2 * margin_, client.cy + 2 * margin_};
    RECT r{};
    GetWindowRect(hwnd_, &r);
    UpdateLayered(hwnd_, {r.left, r.top}, outer, scale_, win32::DesktopComposed(),
                  [&](D2DCanvas& canvas, ID2D1RenderTarget& target) {
                      PaintShadow(canvas);
                      target.SetTransform(D2D1::Matrix3x2F::Translation(
                          static_cast<float>(margin_), static_cast<float>(margin_)));
                      manager.Paint(canvas, {0, 0, client.cx, client.cy});
                      target.SetTransform(D2D1::Matrix3x2F::Identity());
                  });
}

Point Win32WindowHost::ClientPoint(LPARAM lParam) const {
    return {GET_X_LPARAM(lParam) / scale_ - margin_, GET_Y_LPARAM(lParam) / scale_ - margin_};
}

bool Win32WindowHost::InCaption(Point pt) const {
    UiManager& manager = owner_.Manager();
    const Rect& c = manager.Window().caption;
    const Rect band{c.left, c.top, manager.ClientSize().cx - c.right, c.bottom};
    if (!band.Contains(pt)) return false;
    Control* hit = manager.FindControlAt(pt);
    return !(hit && hit->TakesCaptionClicks());
}

void Win32WindowHost::OnButtonDown(Point pt) {
    EndEdit();
    SetFocus(hwnd_);
    if (InCaption(pt)) {
        // The system moves the window while the button is held, as with a real caption.
        ReleaseCapture();
        SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return;
    }
    SetCapture(hwnd_);
    owner_.Manager().OnButtonDown(pt);
}

void Win32WindowHost::UpdateCursor() {
    Control* hover = owner_.Manager().Hover();
    const bool hand = hover && hover->IsHandCursor() && hover->IsEnabled();
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(hand ? IDC_HAND : IDC_ARROW)));
}

bool Win32WindowHost::OnKey(WPARAM virtualKey) {
    const std::optional<Key> key = MapKey(virtualKey);
    if (!key) return false;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (owner_.Manager().Capture()) return true;  // a press in progress owns the input
    owner_.KeyDown(*key, shift);
    return true;
}

LRESULT CALLBACK Win32WindowHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32WindowHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->hwnd_) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32WindowHost::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    UiManager& manager = owner_.Manager();
    switch (message) {
        case kRepaint:
            if (repaintPending_) Repaint();
            return 0;
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            manager.OnMouseMove(ClientPoint(lParam));
            UpdateCursor();
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            manager.OnMouseLeave();
            return 0;
        case WM_LBUTTONDOWN:
            OnButtonDown(ClientPoint(lParam));
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd_) ReleaseCapture();
            manager.OnButtonUp(ClientPoint(lParam));
            return 0;
        case WM_LBUTTONDBLCLK:
            manager.OnDoubleClick(ClientPoint(lParam));
            return 0;
        case WM_MOUSEWHEEL: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd_, &p);
            manager.OnWheel(ClientPoint(MAKELPARAM(p.x, p.y)), GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        }
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                UpdateCursor();
                return TRUE;
            }
            break;
        case WM_KEYDOWN:
            if (OnKey(wParam)) return 0;
            break;
        case WM_CLOSE:
            owner_.Close(0);
            return 0;
        case WM_TIMER:
            if (wParam & 1)
                manager.OnTimerToken(static_cast<int>(wParam >> 1));
            else
                DeliverWindowTimer(owner_, static_cast<int>(wParam >> 1));
            return 0;
        case WM_DPICHANGED: {
            scale_ = std::clamp(static_cast<int>((HIWORD(wParam) + 48) / 96), 1, 4);
            manager.SetDeviceScale(scale_);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Repaint();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Win32WindowHost::EditProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = static_cast<Win32WindowHost*>(GetPropW(hwnd, L"cvd.host"));
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, L"cvd.proc"));
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB)) {
        // Tab, Enter and Escape leave the entry; Tab then moves on as it does in the window.
        self->EndEdit();
        SetFocus(self->hwnd_);
        if (wParam == VK_TAB) self->OnKey(wParam);
        return 0;
    }
    if (message == WM_CHAR && (wParam == '\r' || wParam == 27 || wParam == '\t')) return 0;
    if (message == WM_KILLFOCUS) {
        const LRESULT result = CallWindowProcW(previous, hwnd, message, wParam, lParam);
        self->EndEdit();
        return result;
    }
    const LRESULT result = CallWindowProcW(previous, hwnd, message, wParam, lParam);
    // The control follows every keystroke, so code reading it mid-edit sees what is typed.
    if (self->editing_ && (message == WM_CHAR || message == WM_KEYDOWN || message == WM_PASTE ||
                           message == WM_CUT)) {
        self->editing_->SetText(WindowText(hwnd));
    }
    return result;
}

void Win32WindowHost::BeginEdit(EditUI& edit) {
    EndEdit();
    if (!hwnd_) return;
    UiManager& manager = owner_.Manager();
    const Rect r = edit.TextRect();
    RECT window{};
    GetWindowRect(hwnd_, &window);
    const FontDesc font = manager.Font(edit.GetFont());
    if (editFont_) DeleteObject(editFont_);
    editFont_ = CreateFontW(-font.size * scale_, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                            font.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                            platform::Utf8ToWide(font.face).c_str());
    // A popup of its own: children of a layered window painted with UpdateLayeredWindow are
    // never shown.
    edit_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"EDIT",
                            platform::Utf8ToWide(edit.GetText()).c_str(),
                            WS_POPUP | ES_AUTOHSCROLL | (manager.IsRightToLeft() ? ES_RIGHT : 0),
                            window.left + (margin_ + r.left) * scale_,
                            window.top + (margin_ + r.top) * scale_, r.Width() * scale_,
                            r.Height() * scale_, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!edit_) return;
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(editFont_), TRUE);
    SetPropW(edit_, L"cvd.proc",
             reinterpret_cast<HANDLE>(GetWindowLongPtrW(edit_, GWLP_WNDPROC)));
    SetPropW(edit_, L"cvd.host", reinterpret_cast<HANDLE>(this));
    SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32WindowHost::EditProc));
    editing_ = &edit;
    edit.SetEditing(true);
    ::ShowWindow(edit_, SW_SHOW);
    SetFocus(edit_);
    if (edit.IsAutoSelAll())
        SendMessageW(edit_, EM_SETSEL, 0, -1);
    else
        SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(-1), -1);
}

void Win32WindowHost::EndEdit() {
    if (!editing_ || !edit_) return;
    EditUI* edit = editing_;
    editing_ = nullptr;
    HWND entry = edit_;
    edit_ = nullptr;
    edit->SetText(WindowText(entry));
    edit->SetEditing(false);
    SetWindowLongPtrW(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropW(entry, L"cvd.proc")));
    RemovePropW(entry, L"cvd.proc");
    RemovePropW(entry, L"cvd.host");
    DestroyWindow(entry);
}

void Win32WindowHost::ShowDropList(ComboUI& combo) {
    if (!hwnd_) return;
    RECT window{};
    GetWindowRect(hwnd_, &window);
    OpenDropList(combo, hwnd_, {window.left + margin_ * scale_, window.top + margin_ * scale_},
                 scale_);
}

}  // namespace toolkit
