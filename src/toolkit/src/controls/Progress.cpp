#include "toolkit/Progress.h"

#include <algorithm>

#include "toolkit/UiManager.h"

namespace toolkit {

void* ProgressUI::GetInterface(std::string_view name) {
    return name == "Progress" ? this : LabelUI::GetInterface(name);
}

void ProgressUI::SetMinValue(int value) {
    min_ = value;
    Invalidate();
}

void ProgressUI::SetMaxValue(int value) {
    max_ = value;
    Invalidate();
}

void ProgressUI::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    Invalidate();
}

bool ProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hor")
        horizontal_ = ParseBool(value);
    else if (name == "min")
        min_ = ParseInt(value);
    else if (name == "max")
        max_ = ParseInt(value);
    else if (name == "value")
        value_ = ParseInt(value);
    else if (name == "forecolor")
        foreColor_ = ParseColor(value);
    else if (name == "foreimage")
        foreImage_ = value;
    else
        return LabelUI::SetAttribute(name, value);
    Invalidate();
    return true;
}

Rect ProgressUI::FilledRect() const {
    if (max_ <= min_) return {};
    // Values may come from code as well as documents: differences are taken wide.
    const double value = std::clamp(value_, min_, max_);
    const double range = static_cast<double>(max_) - min_;
    if (horizontal_) {
        const int w = static_cast<int>((value - min_) * pos_.Width() / range);
        return {0, 0, w, pos_.Height()};
    }
    const int top = static_cast<int>(static_cast<double>(pos_.Height()) * (max_ - value) / range);
    return {0, top, pos_.Width(), pos_.Height()};
}

Rect ProgressUI::AsDrawn(const Rect& fromStart, int width) const {
    if (!horizontal_ || !manager_ || !manager_->IsRightToLeft()) return fromStart;
    return {width - fromStart.right, fromStart.top, width - fromStart.left, fromStart.bottom};
}

void ProgressUI::PaintStatusImage(Canvas& canvas) {
    const Rect filled = AsDrawn(FilledRect(), pos_.Width());
    if (filled.IsEmpty()) return;
    const Rect abs = filled.Offset(pos_.left, pos_.top);
    if (foreColor_ != 0) {
        if (colorRound_.IsZero())
            canvas.FillRect(abs, foreColor_);
        else
            canvas.FillRoundRect(abs, colorRound_, foreColor_);
    }
    if (!foreImage_.empty()) {
        const std::string dest = "dest='" + std::to_string(filled.left) + "," +
                                 std::to_string(filled.top) + "," + std::to_string(filled.right) +
                                 "," + std::to_string(filled.bottom) + "'";
        DrawImage(canvas, foreImage_, dest);
    }
}

}  // namespace toolkit
