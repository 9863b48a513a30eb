// Starting a private Xvfb for programs that draw windows nobody sees (tools, window tests).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace cvdtools {

struct XvfbServer {
    pid_t pid = 0;
    std::string display;  // ":N"
};

// When the server ends: only when stopped (it keeps serving, without the reset X servers do when
// their last client goes), or also by itself once the last client that connected has gone.
enum class XvfbEnd { WhenStopped, WithLastClient };

// Xvfb on a display number no other server holds (Xvfb picks it), with one screen of `screen`
// ("WxHxD"), once it accepts clients. Nothing when Xvfb cannot be started or does not come up.
// DISPLAY is left alone.
std::optional<XvfbServer> StartXvfb(const std::string& screen, XvfbEnd end = XvfbEnd::WhenStopped);

// Ends a server StartXvfb gave and waits for it.
void StopXvfb(pid_t pid);

}  // namespace cvdtools
