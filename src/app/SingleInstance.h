// One installer per product and user: the named lock "ORV_Downloader_%d" and the main window
// class "CV_UI_Frame_%d" (the id is Downloader_id), through which a second start brings the
// first instance's window to the front.
//
// Threading: main thread only, apart from the activation callback (see WindowActivation.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/NamedMutex.h"
#include "platform/WindowActivation.h"

namespace app {

std::wstring InstanceMutexName(std::int32_t downloaderId);
std::wstring MainWindowClassName(std::int32_t downloaderId);

class SingleInstance {
public:
    explicit SingleInstance(std::int32_t downloaderId);
    ~SingleInstance();

    // Takes the lock. False when another process holds it ("already exists"); this object then
    // owns nothing. Once taken, the crash handler releases it if the process faults.
    bool Acquire();
    bool Owned() const { return owned_; }
    void Release();

    // Lets a later start find the window; only the owner listens. `bringToFront` runs on the
    // listener's thread.
    void ListenForActivation(std::function<void()> bringToFront);
    void StopListening();

    // Asks the first instance's window to come to the front; false when it has no window.
    bool ActivateExistingWindow() const;

    const std::wstring& WindowClassName() const { return className_; }

private:
    std::wstring className_;
    platform::NamedMutex mutex_;
    bool owned_ = false;
    std::unique_ptr<platform::WindowActivationListener> listener_;
};

}  // namespace app
