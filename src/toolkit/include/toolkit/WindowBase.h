// The base of the program's windows: a top-level native window built from a layout document of the
// skin package, with the hooks the windows override. UI thread only, except PostWindowMessage.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/MessagePort.h"
#include "toolkit/Notify.h"
#include "toolkit/UiManager.h"

namespace toolkit {

// Posting this closes the window (with code 0), as WM_CLOSE does.
inline constexpr unsigned kMsgClose = 0x0010;

class WindowBase : public INotifyUI {
public:
    WindowBase();
    ~WindowBase() override;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // Builds GetSkinFile() and creates the window (hidden). A document that cannot be built ends
    // the process (FailLayoutDocument); false only when there is no display.
    bool Create(WindowBase* owner, const std::string& caption);
    bool IsCreated() const;

    void ShowWindow(bool show = true);
    bool IsVisible() const;
    void CenterWindow();
    void Minimize();
    void Restore();
    bool IsMinimized() const;
    // Ends the window with `code` (ShowModal returns it); OnClose may refuse.
    void Close(int code = 0);
    // Shows the window modally over its owner and runs a nested loop until Close.
    int ShowModal();
    void ResizeClient(Size size);
    Size ClientSize() const;
    Point ScreenPosition() const;
    void MoveTo(Point screen);
    // The window's icon from picture bytes (PNG, ICO, …); false when they are no picture.
    bool SetIcon(const std::vector<std::uint8_t>& picture);

    bool SetTimer(int id, unsigned intervalMs);
    void KillTimer(int id);

    // Any thread. Delivered to HandleCustomMessage on the UI thread.
    bool PostWindowMessage(unsigned message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    std::weak_ptr<MessagePort> Port() const { return port_; }

    Control* FindControl(std::string_view name) const { return manager_.FindControl(name); }
    template <class T>
    T* FindControl(std::string_view name, std::string_view iface) const {
        Control* c = FindControl(name);
        return c ? c->As<T>(iface) : nullptr;
    }
    UiManager& Manager() { return manager_; }
    const std::string& Caption() const { return caption_; }

    // A key pressed in the window (the shell calls this; tests may too): the controls act on it
    // first, then Enter goes to OnEnterKey and Escape to OnEscapeKey. True when something acted.
    bool KeyDown(Key key, bool shift = false);

    // Routes "click" to OnClick, "selectchanged" to OnSelectChange, "itemselect" to OnItemSelect.
    void Notify(NotifyMsg& msg) override;

protected:
    virtual std::string GetWindowClassName() const = 0;
    virtual std::string GetSkinFile() = 0;
    virtual void InitWindow() {}
    virtual void OnClick(NotifyMsg&) {}
    virtual void OnSelectChange(NotifyMsg&) {}
    virtual void OnItemSelect(NotifyMsg&) {}
    virtual std::intptr_t HandleCustomMessage(unsigned message, std::intptr_t wParam,
                                              std::intptr_t lParam, bool& handled);
    // Window timers arrive here; true when handled.
    virtual bool OnTimer(int id);
    // Enter with nothing focused that Enter activates, and Escape; true when handled.
    virtual bool OnEnterKey() { return false; }
    virtual bool OnEscapeKey() { return false; }
    // false keeps the window open.
    virtual bool OnClose() { return true; }
    // After the window is gone; a window that owns itself may delete itself here.
    virtual void OnFinalMessage() {}

private:
    friend class NativeWindow;
    void Dispatch(const PostedMessage& msg);

    UiManager manager_;
    std::unique_ptr<class NativeWindow> host_;
    std::shared_ptr<MessagePort> port_;
    std::string caption_;
    WindowBase* owner_ = nullptr;
    // Deferred callbacks hold this weakly, so they skip a window that is already gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace toolkit
