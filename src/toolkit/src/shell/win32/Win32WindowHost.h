// One top-level Win32 window showing a WindowBase's control tree: a WS_EX_LAYERED popup painted
// with UpdateLayeredWindow (per-pixel alpha, the shadow around it), pointer input, caption
// dragging, SetTimer timers, the keyboard, an EDIT control over the Edit control while editing
// and the combo's drop list. Its class is the window's class name, so another process finds the
// window with FindWindowW.
#pragma once

#include <windows.h>

#include <string>

#include "shell/NativeWindow.h"
#include "toolkit/Combo.h"
#include "toolkit/Edit.h"
#include "toolkit/WindowBase.h"

namespace toolkit {

class Win32WindowHost : public NativeWindow {
public:
    Win32WindowHost(WindowBase& window, const std::string& caption, const std::string& className,
                    HWND owner);
    ~Win32WindowHost() override;

    HWND Handle() const { return hwnd_; }

    // NativeWindow
    bool Alive() const override { return hwnd_ != nullptr; }
    void Destroy() override;
    void Show(bool show) override;
    bool Visible() const override;
    void SetModal(bool modal) override;
    void ResizeClient(Size size) override;
    int Margin() const override { return margin_; }
    void MoveTo(Point screen) override;
    Point Position() const override;
    void Minimize() override;
    void Restore() override;
    bool Minimized() const override;
    bool SetIcon(const std::vector<std::uint8_t>& picture) override;
    bool StartWindowTimer(int id, unsigned intervalMs) override;
    void StopWindowTimer(int id) override;

    // WindowHost
    void Invalidate(const Rect& rect) override;
    void StartTimer(int token, unsigned intervalMs) override;
    void StopTimer(int token) override;
    void BeginEdit(EditUI& edit) override;
    void ShowDropList(ComboUI& combo) override;
    void EndEdit() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The EDIT control's procedure in front of its own.
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnKey(WPARAM key);
    void OnButtonDown(Point pt);
    // Client point of a message's coordinates, in layout pixels.
    Point ClientPoint(LPARAM lParam) const;
    bool InCaption(Point pt) const;
    void Repaint();
    void PaintShadow(Canvas& canvas) const;
    void UpdateCursor();

    WindowBase& owner_;
    HWND hwnd_ = nullptr;
    HWND ownerHwnd_ = nullptr;
    HWND edit_ = nullptr;
    HICON icon_ = nullptr;
    EditUI* editing_ = nullptr;
    HFONT editFont_ = nullptr;
    int margin_ = 0;
    int scale_ = 1;
    bool repaintPending_ = false;
    bool tracking_ = false;
    bool modal_ = false;  // the owner is disabled while this window is shown
};

}  // namespace toolkit
