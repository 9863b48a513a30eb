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

// Xvfb on the first display number in [first, last) that no other server holds, with one screen
// of `screen` ("WxHxD"), once its socket is there. Nothing when Xvfb cannot be started or none
// comes up. DISPLAY is left alone.
std::optional<XvfbServer> StartXvfb(int first, int last, const std::string& screen);

// Ends a server StartXvfb gave and waits for it.
void StopXvfb(pid_t pid);

}  // namespace cvdtools
