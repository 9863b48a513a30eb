#include "app/SingleInstance.h"

#include <cwchar>

namespace app {
namespace {

// Both names are formatted into 64-character buffers.
std::wstring Format64(const wchar_t* pattern, std::int32_t id) {
    wchar_t buffer[64];
    std::swprintf(buffer, 64, pattern, static_cast<int>(id));
    return buffer;
}

}  // namespace

std::wstring InstanceMutexName(std::int32_t downloaderId) {
    return Format64(L"ORV_Downloader_%d", downloaderId);
}

std::wstring MainWindowClassName(std::int32_t downloaderId) {
    return Format64(L"CV_UI_Frame_%d", downloaderId);
}

SingleInstance::SingleInstance(std::int32_t downloaderId)
    : className_(MainWindowClassName(downloaderId)), mutex_(InstanceMutexName(downloaderId)) {}

SingleInstance::~SingleInstance() {
    StopListening();
    Release();
}

bool SingleInstance::Acquire() {
    if (owned_) return true;
    if (mutex_.HeldByAnotherProcess() || !mutex_.Lock(0)) return false;
    owned_ = true;
    mutex_.ReleaseOnCrash();
    return true;
}

void SingleInstance::Release() {
    if (!owned_) return;
    mutex_.Unlock();
    owned_ = false;
}

void SingleInstance::ListenForActivation(std::function<void()> bringToFront) {
    if (owned_ && !listener_)
        listener_ = platform::WindowActivationListener::Listen(className_, std::move(bringToFront));
}

void SingleInstance::StopListening() { listener_.reset(); }

bool SingleInstance::ActivateExistingWindow() const {
    return platform::ActivateWindow(className_) == platform::ActivationResult::Activated;
}

}  // namespace app
