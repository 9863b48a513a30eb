#include "PrivateDisplay.h"

#include "XvfbServer.h"
#include "platform/Environment.h"
#include "platform/Text.h"

namespace cvdtools {

PrivateDisplay::PrivateDisplay() {
    if (!platform::EnvironmentValue(L"DISPLAY").empty()) {
        ok_ = true;
        return;
    }
    if (auto server = StartXvfb("1280x1024x24", XvfbEnd::WithLastClient)) {
        pid_ = server->pid;
        ok_ = true;
        platform::SetEnvironmentValue(L"DISPLAY", platform::Utf8ToWide(server->display));
    }
}

PrivateDisplay::~PrivateDisplay() {
    if (pid_ > 0) StopXvfb(pid_);
}

}  // namespace cvdtools
