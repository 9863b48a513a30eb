// An X display for a tool that draws windows without showing them: the user's display when
// there is one, else a private Xvfb on a free display number, stopped with the object. The
// private server also ends once its last client has gone, so a program that keeps its display
// for its whole life (and never destroys this object) leaves no server behind.
#pragma once

#include <sys/types.h>

#include <string>

namespace cvdtools {

class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;
    bool Ok() const { return ok_; }

private:
    pid_t pid_ = 0;
    bool ok_ = false;
};

}  // namespace cvdtools
