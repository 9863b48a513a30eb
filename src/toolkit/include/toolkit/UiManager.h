// Everything a window's control tree shares: the window's attributes, its fonts, images and
// default attribute strings, the root control, layout and painting, pointer state, control
// timers, option groups and notification listeners. One per window (or per free-standing tree),
// used on the UI thread only. The shell drives it through a WindowHost; without a host (headless
// rendering, tests) it lays out and paints the same, and timers stay pending until fired.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/Control.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"
#include "toolkit/Notify.h"

namespace toolkit {

class EditUI;
class ComboUI;

// What the shell does for the tree; implemented by the native window.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual void Invalidate(const Rect& rect) = 0;
    virtual void StartTimer(int token, unsigned intervalMs) = 0;
    virtual void StopTimer(int token) = 0;
    virtual void BeginEdit(EditUI& edit) = 0;
    virtual void ShowDropList(ComboUI& combo) = 0;
    // Ends a native edit in progress, keeping what was typed.
    virtual void EndEdit() {}
};

// The keys the toolkit acts on; the shell maps its key codes onto these.
enum class Key { Tab, Enter, Space, Escape, Up, Down };

struct WindowAttributes {
    Size size;
    Rect sizeBox;
    Rect caption;
    bool showShadow = false;
    int shadowSize = 0;
    Color linkColor = 0xFF0000FF;
    Color linkHoverColor = 0xFFD3215F;
    bool layered = false;  // bktrans: per-pixel alpha
    Size minSize;
    Size maxSize;
};

class UiManager : public FontTable {
public:
    UiManager();
    ~UiManager() override;
    UiManager(const UiManager&) = delete;
    UiManager& operator=(const UiManager&) = delete;

    // Window attributes of a root `Window` element.
    void SetWindowAttribute(std::string_view name, std::string_view value);
    const WindowAttributes& Window() const { return window_; }
    WindowAttributes& Window() { return window_; }

    // Resources. Shared ones serve every window of the process.
    void AddFont(int id, const FontDesc& font, bool shared);
    FontDesc Font(int id) const override;
    bool HasFont(int id) const;
    // Id of the first font of this table with that face and style, or -1.
    int FindFont(const FontDesc& font) const;
    void SetDefaultFont(const FontDesc& font) { defaultFont_ = font; }
    void AddDefaultAttributes(const std::string& className, const std::string& value, bool shared);
    const std::string* DefaultAttributes(std::string_view className) const;
    // A package picture (path looked up through the resource folder as well); nullptr when it
    // is missing. Each missing path is logged once.
    ImagePtr GetImage(const std::string& path, Color mask = 0);

    // Tree.
    void AttachRoot(std::unique_ptr<Control> root);
    Control* Root() const { return root_.get(); }
    std::unique_ptr<Control> DetachRoot();
    Control* FindControl(std::string_view name) const;
    Control* FindControlAt(Point pt) const;
    void ForgetControl(Control* control);

    // Layout and painting.
    void SetClientSize(Size size);
    Size ClientSize() const { return clientSize_; }
    void NeedLayout() { needLayout_ = true; }
    void LayoutIfNeeded();
    void Invalidate(const Rect& rect);
    void Paint(Canvas& canvas, const Rect& clip);
    // Scale of the window in percent; layouts are in layout pixels, which the shell maps to
    // the screen's, so this stays 100.
    int ScalePercent() const { return 100; }
    // Screen pixels per layout pixel (2 on a doubled desktop): pictures with a name@2x variant
    // are taken from it so they stay sharp.
    void SetDeviceScale(int scale);
    int DeviceScale() const { return deviceScale_; }
    // The build's text engine unless another was handed in (measuring tests use their own).
    TextEngine& Text() const;
    void SetTextEngine(TextEngine& engine) { text_ = &engine; }

    // Pointer input, in client pixels.
    void OnMouseMove(Point pt);
    void OnMouseLeave();
    void OnButtonDown(Point pt);
    void OnButtonUp(Point pt);
    void OnDoubleClick(Point pt);
    void OnWheel(Point pt, int delta);
    Control* Hover() const { return hover_; }
    Control* Capture() const { return capture_; }

    // Keyboard. Tab and Shift+Tab walk the focusable controls in reading order (right to left
    // when the window reads right to left); Space and Enter act on the focused button, option or
    // combo as a click does. False when the key did nothing here, so the window may act on it
    // (Enter with nothing to activate, Escape).
    bool OnKeyDown(Key key, bool shift = false);
    Control* Focus() const { return focus_; }
    // Focuses `control` (nullptr clears); `visible` shows the focus mark, which keyboard
    // navigation turns on and pointer clicks turn off.
    void SetFocus(Control* control, bool visible = true);
    bool IsFocusMarked() const { return focus_ && focusMarked_; }
    bool MoveFocus(bool forward);
    // The controls Tab stops at, in the order it visits them.
    std::vector<Control*> FocusChain() const;

    // Right-to-left reading: layouts mirror their children, texts align to the right and the
    // focus order runs from right to left.
    void SetRightToLeft(bool rtl);
    bool IsRightToLeft() const { return rtl_; }
    // The direction managers made from now on start with (any thread): set once when the
    // interface language is chosen, every later window reads that way.
    static void SetDefaultRightToLeft(bool rtl);
    static bool DefaultRightToLeft();

    // Control timers, delivered to the control as a Timer event.
    bool SetTimer(Control* control, int id, unsigned intervalMs);
    void KillTimer(Control* control, int id);
    bool HasTimer(const Control* control, int id) const;
    std::optional<unsigned> TimerInterval(const Control* control, int id) const;
    // Called by the host when the timer behind `token` is due (and by tests).
    void OnTimerToken(int token);
    void FireTimer(Control* control, int id);

    // Option groups.
    void AddOptionGroup(const std::string& group, Control* option);
    void RemoveOptionGroup(const std::string& group, Control* option);
    const std::vector<Control*>* OptionGroup(const std::string& group) const;

    // Notifications to every listener, in the order they were added.
    void AddNotifier(INotifyUI* listener);
    void RemoveNotifier(INotifyUI* listener);
    void SendNotify(Control* sender, const std::string& type, std::intptr_t wParam = 0,
                    std::intptr_t lParam = 0);

    void SetHost(WindowHost* host) { host_ = host; }
    WindowHost* Host() const { return host_; }

private:
    struct Timer {
        Control* control;
        int id;
        unsigned interval;
    };
    void SendEvent(Control* control, EventType type, Point pt);
    bool ActivateFocus(Key key);
    void InvalidateFocusMark();
    void PaintFocusMark(Canvas& canvas);

    WindowAttributes window_;
    std::map<int, FontDesc> fonts_;
    FontDesc defaultFont_;
    std::map<std::string, std::string, std::less<>> defaults_;
    std::map<std::string, ImagePtr> images_;
    std::map<std::string, bool> missingLogged_;
    std::unique_ptr<Control> root_;
    Size clientSize_;
    bool needLayout_ = true;
    Control* hover_ = nullptr;
    Control* capture_ = nullptr;
    Control* focus_ = nullptr;
    bool focusMarked_ = false;
    bool rtl_ = false;
    int deviceScale_ = 1;
    std::map<int, Timer> timers_;
    int nextTimerToken_ = 1;
    std::map<std::string, std::vector<Control*>> groups_;
    std::vector<INotifyUI*> notifiers_;
    WindowHost* host_ = nullptr;
    TextEngine* text_;
};

}  // namespace toolkit
