// The install thread's whole view of the main window: the window messages it posts, and the
// narrow interface the window implements for it. `install/` never includes `ui/`.
//
// Threading: every member of IInstallWindow may be called from the install thread (and the
// download threads it starts) while the UI thread runs; implementations copy what they return
// and never block on the UI thread.
// Lifetime: the install thread may outlive the window. It holds the message target, which drops
// posts once the window is gone (the toolkit's MessagePort held weakly), never a raw window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "content/MessageTarget.h"

// WM_USER + 1919 … + 1931. Values are fixed: other processes' tools and the tests rely on them.
inline constexpr std::uint32_t WM_INSTALL_MSGBOX_CLEAR = 0xB7F;
inline constexpr std::uint32_t WM_INSTALL_FAILED = 0xB80;
inline constexpr std::uint32_t WM_INSTALL_NOT_EXE_DONE = 0xB81;
inline constexpr std::uint32_t WM_INSTALL_VERIFYING = 0xB82;
inline constexpr std::uint32_t WM_INSTALL_RUNNING = 0xB83;
inline constexpr std::uint32_t WM_INSTALL_TIMEOUT = 0xB84;
inline constexpr std::uint32_t WM_INSTALL_SUCCEEDED = 0xB85;
inline constexpr std::uint32_t WM_INSTALL_SIGNATURE_FAIL = 0xB86;
inline constexpr std::uint32_t WM_INSTALL_PROGRESS = 0xB88;
inline constexpr std::uint32_t WM_INSTALL_AUTOSTART = 0xB89;
// WM_INSTALL_BANNER_READY (0xB8A) lives with the content threads that post it.
inline constexpr std::uint32_t WM_INSTALL_RECHECK_PATH = 0xB8B;

namespace install {

class IInstallWindow {
public:
    virtual ~IInstallWindow() = default;
    // The folder in the window's folder field, copied at the moment of the call.
    virtual std::wstring GetInstallPath() const = 0;
    // The folder the window proposed at start-up.
    virtual std::wstring GetDefaultPath() const = 0;
    // Where the thread posts the messages above; drops them once the window is gone.
    virtual std::shared_ptr<IMessageTarget> GetMessageTarget() const = 0;
};

}  // namespace install
