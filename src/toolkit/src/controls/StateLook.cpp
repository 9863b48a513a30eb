#include "toolkit/StateLook.h"

#include "toolkit/Control.h"

namespace toolkit {

Color StateColors::Pick(ControlState state, Color normal) const {
    if (state.disabled && disabled != 0) return disabled;
    if (state.pushed && pushed != 0) return pushed;
    if (state.hot && hot != 0) return hot;
    return normal;
}

bool StateImages::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "normalimage")
        normal_ = value;
    else if (name == "hotimage")
        hot_ = value;
    else if (name == "pushedimage")
        pushed_ = value;
    else if (disabledTaken_ && (name == "disabledimage" || name == "disableimage"))
        disabled_ = value;
    else
        return false;
    return true;
}

void StateImages::Paint(Control& control, Canvas& canvas, ControlState state) const {
    if (state.disabled && !disabled_.empty() && control.DrawImage(canvas, disabled_)) return;
    if (state.pushed && !pushed_.empty() && control.DrawImage(canvas, pushed_)) return;
    if (state.hot && !hot_.empty() && control.DrawImage(canvas, hot_)) return;
    if (!normal_.empty()) control.DrawImage(canvas, normal_);
}

}  // namespace toolkit
