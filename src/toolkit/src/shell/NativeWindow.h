// What the portable window code asks of the build's window system (GTK on Linux, Win32 on
// Windows): one top-level window per WindowBase, the UI thread's task queue and nested loops.
// Everything here runs on the UI thread, except PostToUiThread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/UiManager.h"

namespace toolkit {

class WindowBase;

class NativeWindow : public WindowHost {
public:
    // False once the window is destroyed.
    virtual bool Alive() const = 0;
    virtual void Destroy() = 0;
    virtual void Show(bool show) = 0;
    virtual bool Visible() const = 0;
    // Input to the owner is blocked while a modal window shows.
    virtual void SetModal(bool modal) = 0;
    virtual void ResizeClient(Size size) = 0;
    // Room around the client area for the shadow, in layout pixels.
    virtual int Margin() const = 0;
    virtual void MoveTo(Point screen) = 0;
    virtual Point Position() const = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    virtual bool Minimized() const = 0;
    virtual bool SetIcon(const std::vector<std::uint8_t>& picture) = 0;
    virtual bool StartWindowTimer(int id, unsigned intervalMs) = 0;
    virtual void StopWindowTimer(int id) = 0;

protected:
    // A window timer that is due, for the window's OnTimer.
    static void DeliverWindowTimer(WindowBase& window, int id);
};

std::unique_ptr<NativeWindow> CreateNativeWindow(WindowBase& window, const std::string& caption,
                                                 const std::string& className,
                                                 NativeWindow* owner);

// Any thread: runs `task` on the UI thread from its loop, never inside this call.
void PostToUiThread(std::function<void()> task);

// A loop run inside the current one, until Quit (a modal window's).
class NestedLoop {
public:
    NestedLoop();
    ~NestedLoop();
    NestedLoop(const NestedLoop&) = delete;
    NestedLoop& operator=(const NestedLoop&) = delete;
    void Run();
    void Quit();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace toolkit
