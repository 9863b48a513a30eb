#include "PrivateDisplay.h"

#include <cstdlib>

#include "XvfbServer.h"

namespace cvdtools {

PrivateDisplay::PrivateDisplay() {
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        ok_ = true;
        return;
    }
    if (auto server = StartXvfb("1280x1024x24", XvfbEnd::WithLastClient)) {
        pid_ = server->pid;
        ok_ = true;
        setenv("DISPLAY", server->display.c_str(), 1);
    }
}

PrivateDisplay::~PrivateDisplay() {
    if (pid_ > 0) StopXvfb(pid_);
}

}  // namespace cvdtools
