// A private X display for tests that need real windows: Xvfb on a display number it picks itself,
// stopped when the object goes away.
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <string>

#include "XvfbServer.h"

namespace toolkit {

class XvfbDisplay {
public:
    // The display a parent test process started; death-test children reuse it.
    static constexpr const char* kInheritedVariable = "CVD_TEST_XVFB_DISPLAY";

    XvfbDisplay() {
        if (const char* inherited = std::getenv(kInheritedVariable)) {
            name_ = inherited;
            setenv("DISPLAY", inherited, 1);
            return;
        }
        if (auto server = cvdtools::StartXvfb("1024x768x24")) {
            pid_ = server->pid;
            name_ = server->display;
            setenv("DISPLAY", name_.c_str(), 1);
            setenv(kInheritedVariable, name_.c_str(), 1);
        }
    }
    ~XvfbDisplay() {
        if (pid_ > 0) cvdtools::StopXvfb(pid_);
    }
    bool Ok() const { return !name_.empty(); }
    pid_t Pid() const { return pid_; }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = 0;
    std::string name_;
};

}  // namespace toolkit
