#include "shell/win32/Win32DropList.h"

#include <windowsx.h>

#include <algorithm>

#include "shell/win32/LayeredSurface.h"
#include "shell/win32/Win32Shell.h"

namespace toolkit {
namespace {

class DropList {
public:
    DropList(ComboUI& combo, HWND owner, Point clientOrigin, int scale)
        : combo_(combo), scale_(scale) {
        const Rect box = combo.GetPos();
        const Size view = combo.DropListViewSize();
        size_ = view;
        scroll_ = combo.DropListScrollFor(view.cy);
        hot_ = combo.GetCurSel();
        origin_ = {clientOrigin.x + box.left * scale, clientOrigin.y + box.bottom * scale};
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DropList::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = L"CV_UI_DropList";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName,
                                L"", WS_POPUP, origin_.x, origin_.y, 1, 1, owner, nullptr,
                                wc.hInstance, this);
        if (!hwnd_) {
            delete this;
            return;
        }
        Paint();
        ShowWindow(hwnd_, SW_SHOWNA);
        SetCapture(hwnd_);
        SetFocus(hwnd_);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<DropList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->Handle(message, wParam, lParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    bool Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        const Point pt{GET_X_LPARAM(lParam) / scale_, GET_Y_LPARAM(lParam) / scale_};
        switch (message) {
            case WM_LBUTTONDOWN: {
                const bool inside = pt.x >= 0 && pt.y >= 0 && pt.x < size_.cx && pt.y < size_.cy;
                const int item = inside ? combo_.DropListItemAt(pt.y, scroll_) : -1;
                if (item >= 0 && !combo_.GetItemAt(item)->IsEnabled()) return true;
                Close(item);
                return true;
            }
            case WM_MOUSEMOVE: {
                const int hot = combo_.DropListItemAt(pt.y, scroll_);
                if (hot != hot_) {
                    hot_ = hot;
                    Paint();
                }
                return true;
            }
            case WM_MOUSEWHEEL: {
                const int range = std::max(0, combo_.DropListHeight() - size_.cy);
                scroll_ = std::clamp(scroll_ + (GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -22 : 22), 0,
                                     range);
                Paint();
                return true;
            }
            case WM_KEYDOWN:
                OnKey(wParam);
                return true;
            case WM_CAPTURECHANGED:
                // Another window took the pointer (the owner was clicked through): close.
                if (reinterpret_cast<HWND>(lParam) != hwnd_ && !closing_) Close(-1);
                return true;
            default:
                return false;
        }
    }

    void OnKey(WPARAM key) {
        const int count = combo_.GetCount();
        if (key == VK_ESCAPE) {
            Close(-1);
        } else if (key == VK_RETURN) {
            Close(hot_, true);
        } else if ((key == VK_DOWN || key == VK_UP) && count > 0) {
            const int start = hot_ >= 0 ? hot_ : combo_.GetCurSel();
            hot_ = std::clamp(start + (key == VK_DOWN ? 1 : -1), 0, count - 1);
            scroll_ = combo_.DropListScrollToShow(hot_, size_.cy, scroll_);
            Paint();
        }
    }

    void Paint() {
        UpdateLayered(hwnd_, origin_, size_, scale_, win32::DesktopComposed(),
                      [this](D2DCanvas& canvas, ID2D1RenderTarget&) {
                          combo_.PaintDropList(canvas, {0, 0, size_.cx, size_.cy}, scroll_, hot_);
                      });
    }

    void Close(int chosen, bool activate = false) {
        closing_ = true;
        if (GetCapture() == hwnd_) ReleaseCapture();
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        ComboUI& combo = combo_;
        delete this;
        if (chosen < 0) return;
        if (activate)
            combo.ActivateItem(chosen);
        else
            combo.SelectItem(chosen, true);
    }

    ComboUI& combo_;
    HWND hwnd_ = nullptr;
    Point origin_;
    Size size_;
    int scale_ = 1;
    int scroll_ = 0;
    int hot_ = -1;
    bool closing_ = false;
};

}  // namespace

void OpenDropList(ComboUI& combo, HWND owner, Point clientOrigin, int scale) {
    new DropList(combo, owner, clientOrigin, scale);
}

}  // namespace toolkit
