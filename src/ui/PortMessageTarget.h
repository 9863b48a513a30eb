// A window's message port as the workers' message target: posts go to the window while it lives
// and are dropped once it is gone (the port is held weakly).
#pragma once

#include <memory>

#include "content/MessageTarget.h"
#include "toolkit/MessagePort.h"

namespace ui {

class PortMessageTarget : public IMessageTarget {
public:
    explicit PortMessageTarget(std::weak_ptr<toolkit::MessagePort> port) : port_(std::move(port)) {}
    void PostCustomMessage(std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
        if (auto port = port_.lock())
            port->Post(message, static_cast<std::intptr_t>(wParam), lParam);
    }

private:
    std::weak_ptr<toolkit::MessagePort> port_;
};

}  // namespace ui
