// How a control looks in its interactive states. In every look the first state that holds and
// has something to show wins: disabled, then pushed, then hot; the normal look otherwise.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/Geometry.h"

namespace toolkit {

class Canvas;
class Control;

struct ControlState {
    bool disabled = false;
    bool pushed = false;
    bool hot = false;
};

// A colour per state; 0 means the state has none of its own.
struct StateColors {
    Color hot = 0;
    Color pushed = 0;
    Color disabled = 0;

    Color Pick(ControlState state, Color normal) const;
};

class StateImages {
public:
    // A control without a disabled look leaves that attribute to its base class.
    enum class DisabledImage { Taken, Left };

    explicit StateImages(DisabledImage disabled = DisabledImage::Taken)
        : disabledTaken_(disabled == DisabledImage::Taken) {}

    // Takes "normalimage", "hotimage", "pushedimage" and "disabledimage" (also spelled
    // "disableimage"); false for any other name.
    bool SetAttribute(std::string_view name, std::string_view value);
    void SetPushed(std::string_view image) { pushed_ = image; }

    // An image that cannot be drawn gives way to the next state's.
    void Paint(Control& control, Canvas& canvas, ControlState state) const;

private:
    bool disabledTaken_;
    std::string normal_;
    std::string hot_;
    std::string pushed_;
    std::string disabled_;
};

}  // namespace toolkit
