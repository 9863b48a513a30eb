#pragma once

#include <cstdint>
#include <string>

#include "toolkit/Geometry.h"

namespace toolkit {

class Control;

// A notification from a control to its window: "click", "selectchanged", "itemselect",
// "link" (wParam = link number), "itemactivate", "timer" (wParam = timer id).
struct NotifyMsg {
    std::string type;
    Control* sender = nullptr;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    Point pt;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(NotifyMsg& msg) = 0;
};

}  // namespace toolkit
